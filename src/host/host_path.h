// Host paths as the description files and the command line give them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qorv {

// What joins a host directory and a name: "/" on POSIX, "\" on Windows.
extern const char HOST_PATH_SEPARATOR;

// A host path written in a description file, in the form the tool opens,
// prints and lists. POSIX: every backslash turned into "/", so that files
// written for a backslash host work unchanged. Windows: as written.
std::string host_path_from_description(std::string_view text);

// The same for a setting that may be missing (nullptr gives "").
std::string host_path_of(const std::string *text);

// `dir` + the separator + `name`, also when `dir` already ends in one (the
// DLF shows paths exactly as joined).
std::string join_host_path(std::string_view dir, std::string_view name);

// True when `path` starts from a root rather than from a folder given
// beside it: "/..." on POSIX; on Windows a path starting with a separator
// or a drive ("C:...").
bool is_rooted_host_path(std::string_view path);

// Where the last name of `path` starts: after its last separator (Windows:
// "\" or "/", or the ":" of a drive), 0 when it has none.
size_t host_name_start(std::string_view path);

// The absolute form of `value` for option -a, without a length limit.
// POSIX, resolved as text: a value not starting with "/" gets the current
// directory in front; empty and "." components are dropped, ".." removes one
// component (never above "/"), and a trailing "/" of the value is kept. No
// symbolic link is resolved. Windows: the system's full path of `value`
// (also resolved as text; a trailing separator stays). Nothing when `value`
// is relative and the current directory cannot be read (it was deleted), or
// the system cannot form the full path.
std::optional<std::string> absolute_path_text(std::string_view value);

// `value` resolved as absolute_path_text does, without a trailing separator
// (but at a root): two spellings of one path give the same text. Without a
// current directory a relative value is resolved from "/". Windows: also in
// one letter case, as its file names ignore case.
std::string normal_path_text(std::string_view value);

}  // namespace qorv
