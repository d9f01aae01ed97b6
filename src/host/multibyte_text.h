// The tools' own texts in the host's encoding.
#pragma once

#include <string>
#include <string_view>

namespace qorv {

// A text of the tools' own in UTF-8 (a message of a catalog, a name decoded
// from a disc) in the host's encoding: unchanged on POSIX; in the ANSI code page on Windows, with "?" for a
// character the code page lacks, as the system's string loader gives it.
std::string host_message_text(std::string_view utf8);

}  // namespace qorv
