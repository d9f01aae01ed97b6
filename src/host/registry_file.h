// Where the values behind ${NAME} references come from. Windows: the text
// values of the key "SOFTWARE\Kelvane\QORV" in the user's registry. POSIX,
// which has no registry: a registry export file that stands in for it, the
// file named by QORV_REGISTRY_FILE, otherwise
// $XDG_CONFIG_HOME/Kelvane/QORV.reg (XDG_CONFIG_HOME defaulting to
// $HOME/.config).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qorv {

// Where the export file is looked for ("" when no location can be formed,
// and on Windows, where no export file is read).
std::string registry_export_path();

// The whole export file as bytes; nothing when it is missing or unreadable
// (and on Windows).
std::optional<std::string> read_registry_export();

struct HostRegistryValue {
  std::string name;  // empty for the default value
  std::string text;
};

// The plain text values of the tool's key in the user's registry, in the
// registry's order, up to the first name or text of 4096 bytes or more;
// empty when the key cannot be opened. Nothing on a host without a registry.
std::optional<std::vector<HostRegistryValue>> read_registry_key();

}  // namespace qorv
