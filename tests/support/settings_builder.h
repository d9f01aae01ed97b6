// Filling a run's settings store directly, for tests of the stages that read
// it (without going through the description-file parser).
#pragma once

#include <string>
#include <vector>

#include "core/keyword_table.h"
#include "core/settings_store.h"
#include "core/run_state.h"

namespace qorv::test {

// The section of `key` in layer `layer` (0 to 2), created when missing.
inline Section &section_for(RunState &run, KeyId key, int layer = 0) {
  Layer &l = run.store.layers[static_cast<size_t>(layer)];
  if (Section *s = find_section(l, section_of(key))) return *s;
  Section *created = nullptr;
  define_section(l, *keyword_by_id(section_of(key)), &created);
  return *created;
}

inline void set_text(RunState &run, KeyId key, std::string value, int layer = 0) {
  store_text(section_for(run, key, layer), *keyword_by_id(key), 1, std::move(value));
}

inline void set_number(RunState &run, KeyId key, int64_t value, int layer = 0) {
  store_number(section_for(run, key, layer), *keyword_by_id(key), 1, value);
}

inline void set_list(RunState &run, KeyId key, std::vector<std::string> values, int layer = 0) {
  store_text_list(section_for(run, key, layer), *keyword_by_id(key), 1, std::move(values));
}

}  // namespace qorv::test
