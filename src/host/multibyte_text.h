// The tool's own message texts in the host's encoding.
#pragma once

#include <string>
#include <string_view>

namespace qorv {

// A message text of the tool's catalog (UTF-8) in the host's encoding:
// unchanged on POSIX; in the ANSI code page on Windows, with "?" for a
// character the code page lacks, as the system's string loader gives it.
std::string host_message_text(std::string_view utf8);

}  // namespace qorv
