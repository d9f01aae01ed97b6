#include "host/name_case.h"
#include "requests/layout_request_passes.h"

namespace qorv {

uint64_t NameIndex::signature(std::string_view upper) {
  uint64_t last = 0;
  for (size_t i = upper.size() > 8 ? upper.size() - 8 : 0; i < upper.size(); ++i)
    last = (last << 8) | static_cast<unsigned char>(upper[i]);
  return last ^ (upper.size() * 0x9E3779B97F4A7C15u);
}

void NameIndex::want(std::string_view file) {
  auto it = entries_.try_emplace(upper_case_name(file), nullptr).first;
  signatures_.insert(signature(it->first));
}

void NameIndex::fill(const std::vector<FileEntry *> &fst_entries) {
  if (entries_.empty()) return;
  std::string key;
  for (size_t i = 1; i < fst_entries.size(); ++i) {
    // Taken from the upper-cased path: upper-casing may change more than
    // single bytes (double-byte characters of the host's code page).
    upper_case_into(fst_entries[i]->disc_path, key);
    if (!signatures_.contains(signature(key))) continue;
    auto it = entries_.find(key);
    if (it != entries_.end() && !it->second) it->second = fst_entries[i];
  }
}

FileEntry *NameIndex::find(std::string_view file) const {
  auto it = entries_.find(upper_case_name(file));
  return it == entries_.end() ? nullptr : it->second;
}

}  // namespace qorv
