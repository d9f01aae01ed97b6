// Where the values behind ${NAME} references come from. Windows: the text
// values of the key "SOFTWARE\Kelvane\QORV" in the user's registry. POSIX,
// which has no registry: a registry export file that stands in for it, the
// file named by QORV_REGISTRY_FILE, otherwise
// $XDG_CONFIG_HOME/Kelvane/QORV.reg (XDG_CONFIG_HOME defaulting to
// $HOME/.config).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

// Where the export file is looked for ("" when no location can be formed,
// and on Windows, where no export file is read).
std::string registry_export_path();

struct RegistryExportBytes {
  std::string path;
  bool opened = false;
  bool over_limit = false;  // more than `limit` bytes: `bytes` holds none of them
  std::string bytes;
};

// Reads the export file piece by piece. After each piece `wanted` is given
// the bytes read so far and says whether to go on; reading also stops at the
// end of the file, and once more than `limit` bytes have come. Windows reads
// no export file: nothing opened.
RegistryExportBytes read_registry_export(size_t limit, const std::function<bool(std::string_view)> &wanted);

struct HostRegistryValue {
  std::string name;  // empty for the default value
  std::string text;
};

// The plain text values of the tool's key in the user's registry, in the
// registry's order, up to the first name or text of 4096 bytes or more;
// empty when the key cannot be opened. Nothing on a host without a registry.
std::optional<std::vector<HostRegistryValue>> read_registry_key();

}  // namespace qorv
