#include "host/name_case.h"
#include "requests/layout_request_passes.h"

namespace qorv {

uint64_t NameIndex::signature(std::string_view name) {
  uint64_t last = 0;
  for (size_t i = name.size() > 8 ? name.size() - 8 : 0; i < name.size(); ++i)
    last = (last << 8) | static_cast<unsigned char>(upper_case_byte(name[i]));
  return last ^ (name.size() * 0x9E3779B97F4A7C15u);
}

void NameIndex::want(std::string_view file) {
  entries_.try_emplace(upper_case_name(file), nullptr);
  signatures_.insert(signature(file));
}

void NameIndex::fill(const std::vector<FileEntry *> &fst_entries) {
  if (entries_.empty()) return;
  std::string key;
  for (size_t i = 1; i < fst_entries.size(); ++i) {
    if (!signatures_.contains(signature(fst_entries[i]->disc_path))) continue;
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
