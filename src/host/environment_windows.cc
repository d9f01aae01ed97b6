#include "host/environment.h"

#include <cstdlib>
#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

std::optional<std::string> get_environment(const std::string &name) {
  const char *value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

// The catalog's language is the user's interface language, as the system's
// string-resource loader picks it.
bool host_prefers_japanese() { return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE; }

std::string current_directory() {
  DWORD length = ::GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return {};
  std::wstring wide(length, L'\0');
  length = ::GetCurrentDirectoryW(length, wide.data());
  wide.resize(length);
  return ansi_from_wide(wide).value_or(std::string());
}

}  // namespace qorv
