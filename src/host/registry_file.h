// The registry export file that stands in for the per-user registry: the
// file named by QORV_REGISTRY_FILE, otherwise
// $XDG_CONFIG_HOME/Kelvane/QORV.reg (XDG_CONFIG_HOME defaulting to
// $HOME/.config).
#pragma once

#include <optional>
#include <string>

namespace qorv {

// Where the export file is looked for ("" when no location can be formed).
std::string registry_export_path();

// The whole export file as bytes; nothing when it is missing or unreadable.
std::optional<std::string> read_registry_export();

}  // namespace qorv
