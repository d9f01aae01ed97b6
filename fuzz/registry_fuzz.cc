// The registry export reader from bytes. Besides not crashing, every value
// it returns must fit the enumeration's 4096-byte buffers, and the first
// value of a name must be the one a lookup finds.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "ddf/registry_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  std::vector<qorv::RegistryValue> values = qorv::parse_registry_export(bytes);
  for (const qorv::RegistryValue &v : values) {
    if (v.name.size() >= 4096 || v.text.size() >= 4096) std::abort();
  }
  if (!values.empty()) {
    std::optional<std::string> found = qorv::find_registry_value(values, values.front().name);
    if (!found || *found != values.front().text) std::abort();
  }
  return 0;
}
