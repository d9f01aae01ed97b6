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
WideOffset round_up(WideOffset value, uint64_t alignment) {
  if (alignment == 0) return value;
  const WideOffset a = alignment;
  WideOffset q = value / a;
  if (value % a > 0) ++q;
  return q * a;
}

WideOffset round_down(WideOffset value, uint64_t alignment) {
  if (alignment == 0) return value;
  const WideOffset a = alignment;
  WideOffset q = value / a;
  if (value % a < 0) --q;
  return q * a;
}

}  // namespace qorv
