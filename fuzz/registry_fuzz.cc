// The registry export reader from bytes. Besides not crashing, every value
// it returns must fit the enumeration's 4096-byte buffers, the first value
// of a name must be the one a lookup finds, and the reading of the first
// line must not give up a file that has values.
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
  // Read as it comes, in pieces of any length, a file that has values is
  // never given up before its end.
  qorv::RegistryExportHead head;
  auto verdict = qorv::RegistryExportHead::Verdict::Undecided;
  for (size_t n = 1; n <= size && verdict == qorv::RegistryExportHead::Verdict::Undecided; n += 1 + data[n - 1] % 8)
    verdict = head.look(bytes.substr(0, n));
  if (!values.empty() && verdict == qorv::RegistryExportHead::Verdict::NotExport) std::abort();
  if (!values.empty()) {
    std::optional<std::string> found = qorv::find_registry_value(values, values.front().name);
    if (!found || *found != values.front().text) std::abort();
  }
  return 0;
}
