// A file named in [Input] or [Output], as the host opens and prints it.
#pragma once

#include <string>

#include "ddf/settings_store.h"
#include "driver/run_state.h"
#include "host/host_path.h"

namespace qorv {

// Empty when the key is not defined (the open then fails and names nothing).
inline std::string setting_path(const RunState &run, KeyId section, KeyId key) {
  const std::string *value = find_text(run.store, section, key);
  return value ? host_path_from_description(*value) : std::string();
}

}  // namespace qorv
