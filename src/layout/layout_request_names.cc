#include "host/name_case.h"
#include "layout/layout_request_passes.h"

namespace qorv {

void NameIndex::want(std::string_view file) { entries_.try_emplace(upper_case_name(file), nullptr); }

void NameIndex::fill(const std::vector<FileEntry *> &fst_entries) {
  if (entries_.empty()) return;
  std::string key;
  for (size_t i = 1; i < fst_entries.size(); ++i) {
    upper_case_into(fst_entries[i]->disc_path, key);
    auto it = entries_.find(key);
    if (it != entries_.end() && !it->second) it->second = fst_entries[i];
  }
}

FileEntry *NameIndex::find(std::string_view file) const {
  auto it = entries_.find(upper_case_name(file));
  return it == entries_.end() ? nullptr : it->second;
}

}  // namespace qorv
