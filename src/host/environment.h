// The process environment and the host's message language.
#pragma once

#include <optional>
#include <string>

namespace qorv {

// The value of environment variable `name`, or nothing when unset.
std::optional<std::string> get_environment(const std::string &name);

// True when the first non-empty of LC_ALL, LC_MESSAGES and LANG begins with "ja".
bool host_prefers_japanese();

// The current working directory ("" when it cannot be read).
std::string current_directory();

}  // namespace qorv
