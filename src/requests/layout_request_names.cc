#include "requests/layout_request_passes.h"

#include <optional>


namespace qorv {

void NameIndex::reserve(size_t count, size_t bytes) {
  names_.reserve(bytes);
  ends_.reserve(count);
  entries_.reserve(count);
  positions_.reserve(count);
}

std::string_view NameIndex::on_disc(std::string_view file, std::string &scratch) const {
  if (!page_.converts()) return file;
  scratch.clear();
  page_.to_disc(file, scratch);
  return scratch;
}

void NameIndex::want(std::string_view wanted) {
  std::string scratch;
  const std::string_view file = on_disc(wanted, scratch);
  const size_t begin = names_.size();
  names_.resize(begin + file.size());
  page_.upper_case_copy(file, names_.data() + begin);
  const auto name_at = [this](size_t i) { return this->name_at(i); };
  if (positions_.insert(std::string_view(names_).substr(begin), ends_.size(), name_at).second) {
    ends_.push_back(names_.size());
    entries_.push_back(nullptr);
  } else {
    names_.resize(begin);
  }
}

void NameIndex::fill(const std::vector<FileEntry *> &fst_entries) {
  if (entries_.empty()) return;
  std::string key;
  const auto name_at = [this](size_t i) { return this->name_at(i); };
  for (size_t i = 1; i < fst_entries.size(); ++i) {
    // Taken from the upper-cased path: upper-casing may change more than
    // single bytes (double-byte characters of the host's code page).
    page_.upper_case_into(fst_entries[i]->disc_path, key);
    if (std::optional<size_t> at = positions_.find(key, name_at); at && !entries_[*at]) entries_[*at] = fst_entries[i];
  }
}

FileEntry *NameIndex::find(std::string_view file) const {
  std::string scratch;
  const std::string key = page_.upper_case_name(on_disc(file, scratch));
  std::optional<size_t> at = positions_.find(key, [this](size_t i) { return name_at(i); });
  return at ? entries_[*at] : nullptr;
}

}  // namespace qorv
