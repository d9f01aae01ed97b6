// The (name, text) pairs behind ${NAME} references, read from a registry
// export file (REGEDIT4 or version 5.00; UTF-8 with or without a byte-order
// mark, or UTF-16LE with one). Only plain text values under
// [HKEY_CURRENT_USER\SOFTWARE\Kelvane\QORV] count.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

struct RegistryValue {
  std::string name;  // empty for the default value (@)
  std::string text;
};

// The plain text values of the export file `bytes`, in file order.
std::vector<RegistryValue> parse_registry_export(std::string_view bytes);

// The values of the user's registry key on a host that has a registry,
// otherwise of the host's export file (none when it is missing).
std::vector<RegistryValue> read_registry_values();

// The text of the first value whose name equals `name` ignoring ASCII case.
std::optional<std::string> find_registry_value(const std::vector<RegistryValue> &values,
                                               std::string_view name);

}  // namespace qorv
