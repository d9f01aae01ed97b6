#include "host/environment.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace qorv {

std::optional<std::string> get_environment(const std::string &name) {
  const char *value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

bool host_prefers_japanese() {
  for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char *value = std::getenv(name);
    if (value && *value) return value[0] == 'j' && value[1] == 'a';
  }
  return false;
}

std::string current_directory() {
  std::vector<char> buffer(4096);
  while (!::getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace qorv
