// Positions of names in a table that holds them, found by name: an open
// addressing table of (hash, position) pairs in one array. The names stay in
// the caller's table, so adding one costs no copy and no node of its own,
// and a look-up touches one slot and, when the hashes agree, the one name.
// Tables of hundreds of thousands of [PathList] names stay fast to fill.
// Positions are below 2^32 - 1: tables hold at most one name per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace qorv {

class NamePositions {
public:
  // The position of `name`, if one was added. `name_at(position)` gives the
  // name at a position of the caller's table.
  template <class NameAt>
  std::optional<size_t> find(std::string_view name, NameAt name_at) const {
    if (slots_.empty()) return std::nullopt;
    const uint64_t slot = slots_[slot_of(name, hash_of(name), name_at)];
    return slot == 0 ? std::nullopt : std::optional<size_t>(position_in(slot));
  }

  // Adds `name` at `position` unless it is there already; gives the position
  // it has in the index and whether it was added.
  template <class NameAt>
  std::pair<size_t, bool> insert(std::string_view name, size_t position, NameAt name_at) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    const uint32_t hash = hash_of(name);
    uint64_t &slot = slots_[slot_of(name, hash, name_at)];
    if (slot != 0) return {position_in(slot), false};
    slot = uint64_t{hash} << 32 | static_cast<uint32_t>(position + 1);
    ++count_;
    return {position, true};
  }

  // Makes room for `count` names without growing on the way.
  void reserve(size_t count);

private:
  static uint32_t hash_of(std::string_view name);
  static size_t position_in(uint64_t slot) { return static_cast<uint32_t>(slot) - 1; }

  // The slot that holds `name`, or the empty slot where it belongs.
  template <class NameAt>
  size_t slot_of(std::string_view name, uint32_t hash, NameAt name_at) const {
    size_t at = hash & mask();
    while (slots_[at] != 0 && !(slots_[at] >> 32 == hash && name_at(position_in(slots_[at])) == name))
      at = (at + 1) & mask();
    return at;
  }
  size_t mask() const { return slots_.size() - 1; }
  void grow() { rebuild(slots_.empty() ? 16 : slots_.size() * 2); }
  void rebuild(size_t size);

  // Zero is an empty slot; otherwise the name's hash in the high half and
  // its position plus one in the low half.
  std::vector<uint64_t> slots_;
  size_t count_ = 0;
};

}  // namespace qorv
