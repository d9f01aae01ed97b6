// The registry export file that stands in for the per-user registry: the
// file named by QORV_REGISTRY_FILE, otherwise
// $XDG_CONFIG_HOME/Kelvane/QORV.reg (XDG_CONFIG_HOME defaulting to
// $HOME/.config).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qorv {

// Where the export file is looked for ("" when no location can be formed).
std::string registry_export_path();

struct RegistryExportBytes {
  std::string path;
  bool opened = false;
  bool over_limit = false;  // more than `limit` bytes: `bytes` holds none of them
  std::string bytes;
};

// Reads the export file piece by piece. After each piece `wanted` is given
// the bytes read so far and says whether to go on; reading also stops at the
// end of the file, and once more than `limit` bytes have come.
RegistryExportBytes read_registry_export(size_t limit, const std::function<bool(std::string_view)> &wanted);

}  // namespace qorv
