// Windows only: texts between the ANSI code page, in which the tool holds
// every name and path, and the UTF-16 of the system's wide calls.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qorv {

// `text` (ANSI code page) in UTF-16.
std::wstring wide_from_ansi(std::string_view text);

// `text` in the ANSI code page; nothing when a character has no exact form
// there (no best-fit look-alike is taken).
std::optional<std::string> ansi_from_wide(std::wstring_view text);

// `text` in the ANSI code page with "?" for each character it lacks, for
// messages only.
std::string ansi_shown(std::wstring_view text);

// `text` upper-cased, in UTF-8 (which keeps every character apart): for
// comparing names that the system takes as equal, never shown.
std::string comparable_text(std::wstring text);

// Where the last "\" or "/" of `path` (ANSI code page) is, npos when it has
// none: the trail byte of a double-byte character is never one.
size_t last_path_separator(std::string_view path);

// `path` as the wide calls take it: paths of 248 characters or more become
// absolute with the "\\?\" prefix, which lifts the 260-character limit.
std::wstring wide_host_path(std::string_view path);
std::wstring lift_path_limit(std::wstring path);

// The absolute form of `path` (GetFullPathNameW, no length limit); empty
// when the system cannot form it.
std::wstring full_wide_path(const std::wstring &path);

}  // namespace qorv
