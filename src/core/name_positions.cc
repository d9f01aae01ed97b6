#include "core/name_positions.h"

#include <functional>

namespace qorv {

uint32_t NamePositions::hash_of(std::string_view name) {
  const uint64_t h = std::hash<std::string_view>{}(name);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

void NamePositions::reserve(size_t count) {
  size_t size = slots_.empty() ? 16 : slots_.size();
  while (size < count * 2) size *= 2;
  if (size > slots_.size()) rebuild(size);
}

void NamePositions::rebuild(size_t size) {
  std::vector<uint64_t> old;
  old.swap(slots_);
  slots_.assign(size, 0);
  for (uint64_t slot : old) {
    if (slot == 0) continue;
    size_t at = (slot >> 32) & mask();
    while (slots_[at] != 0) at = (at + 1) & mask();
    slots_[at] = slot;
  }
}

}  // namespace qorv
