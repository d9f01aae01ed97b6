// Host file names written in the description files ([Input] and [Output]
// keys), in the form the tool opens, prints and lists in the DLF.
#pragma once

#include <string>

#include "core/settings_store.h"
#include "host/host_path.h"

namespace qorv {

// The key's text as the host uses it (POSIX: every backslash turned into
// "/"); empty when the key is not defined (an open then fails and names
// nothing).
inline std::string find_host_path(const SettingsStore &store, KeyId section, KeyId key) {
  return host_path_of(find_text(store, section, key));
}

}  // namespace qorv
