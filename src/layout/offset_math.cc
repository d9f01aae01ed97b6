#include "layout/offset_math.h"

#include <limits>

namespace qorv {

int64_t saturate_offset(WideOffset value) {
  constexpr int64_t lowest = std::numeric_limits<int64_t>::min();
  constexpr int64_t highest = std::numeric_limits<int64_t>::max();
  if (value < lowest) return lowest;
  if (value > highest) return highest;
  return static_cast<int64_t>(value);
}

// Division in C++ truncates toward zero; the remainder's sign tells which
// way the quotient has to move for a ceiling or a floor.
// A power of two needs no division: in two's complement, clearing the low
// bits is the floor also below zero. A value that fits 64 bits unsigned
// divides in 64 bits.
WideOffset round_up(WideOffset value, uint64_t alignment) {
  if (alignment == 0) return value;
  if ((alignment & (alignment - 1)) == 0) return (value + (alignment - 1)) & ~WideOffset{alignment - 1};
  if (value >= 0 && value <= WideOffset{UINT64_MAX}) {
    const auto v = static_cast<uint64_t>(value);
    return WideOffset{v / alignment + (v % alignment != 0 ? 1 : 0)} * alignment;
  }
  const WideOffset a = alignment;
  WideOffset q = value / a;
  if (value % a > 0) ++q;
  return q * a;
}

WideOffset round_down(WideOffset value, uint64_t alignment) {
  if (alignment == 0) return value;
  if ((alignment & (alignment - 1)) == 0) return value & ~WideOffset{alignment - 1};
  if (value >= 0 && value <= WideOffset{UINT64_MAX}) {
    const auto v = static_cast<uint64_t>(value);
    return WideOffset{v / alignment} * alignment;
  }
  const WideOffset a = alignment;
  WideOffset q = value / a;
  if (value % a < 0) --q;
  return q * a;
}

}  // namespace qorv
