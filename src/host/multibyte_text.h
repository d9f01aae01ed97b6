// Texts in the host's multibyte encoding: UTF-8 on POSIX, the ANSI code page
// (double-byte characters included) on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qorv {

// Copies the leading whole characters of `text` that fit into `field` and
// zero-fills the rest of it; a character that would not fit whole is left
// out (its place reads as zero). Returns the number of text bytes copied.
size_t copy_whole_characters(std::string_view text, std::span<uint8_t> field);

// True when `name` holds the character "\" (Windows: a byte 0x5C that is not
// the second byte of a double-byte character, such as the one of "ソ" in code
// page 932).
bool name_has_backslash(std::string_view name);

// A message text of the tool's catalog (UTF-8) in the host's encoding:
// unchanged on POSIX; in the ANSI code page on Windows, with "?" for a
// character the code page lacks, as the system's string loader gives it.
std::string host_message_text(std::string_view utf8);

}  // namespace qorv
