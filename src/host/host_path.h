// Host paths as the description files and the command line give them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qorv {

// A host path written in a description file, with every backslash turned
// into "/" so that files written for a backslash host work unchanged.
std::string host_path_from_description(std::string_view text);

// The same for a setting that may be missing (nullptr gives "").
std::string host_path_of(const std::string *text);

// `dir` + "/" + `name`, also when `dir` already ends in "/" (the DLF shows
// paths exactly as joined).
std::string join_host_path(std::string_view dir, std::string_view name);

// The absolute form of `value` for option -a, resolved as text: a value not
// starting with "/" gets the current directory in front; empty and "."
// components are dropped, ".." removes one component (never above "/"), and
// a trailing "/" of the value is kept. No symbolic link is resolved. Nothing
// when `value` is relative and the current directory cannot be read (it was
// deleted).
std::optional<std::string> absolute_path_text(std::string_view value);

// `value` resolved as absolute_path_text does, without a trailing "/" (but
// "/" itself): two spellings of one path give the same text. Without a
// current directory a relative value is resolved from "/".
std::string normal_path_text(std::string_view value);

}  // namespace qorv
