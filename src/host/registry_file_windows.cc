#include "host/registry_file.h"

#include <cstring>
#include <windows.h>

namespace qorv {

std::string registry_export_path() { return {}; }

RegistryExportBytes read_registry_export(size_t, const std::function<bool(std::string_view)> &) { return {}; }

std::optional<std::vector<HostRegistryValue>> read_registry_key() {
  std::vector<HostRegistryValue> values;
  HKEY key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Kelvane\\QORV", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return values;
  // Names and texts come in the ANSI code page, as the description files are
  // read. A value that does not fit these buffers ends the list.
  constexpr DWORD kBuffer = 4096;
  std::vector<char> name(kBuffer);
  std::vector<BYTE> data(kBuffer);
  for (DWORD index = 0;; ++index) {
    DWORD name_length = kBuffer;
    DWORD data_length = kBuffer;
    DWORD type = 0;
    if (::RegEnumValueA(key, index, name.data(), &name_length, nullptr, &type, data.data(), &data_length) !=
        ERROR_SUCCESS)
      break;
    if (type != REG_SZ) continue;
    const char *text = reinterpret_cast<const char *>(data.data());
    values.push_back({std::string(name.data(), name_length), std::string(text, ::strnlen(text, data_length))});
  }
  ::RegCloseKey(key);
  return values;
}

}  // namespace qorv
