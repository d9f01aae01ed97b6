// Arithmetic on disc offsets. Offsets are signed 64-bit; rounding is
// mathematical floor and ceiling (also below zero); an alignment is an
// unsigned 64-bit value. Intermediate results are exact, and a result beyond
// the 64-bit range saturates, so a runaway layout lands far outside the user
// area (where the range and format checks catch it) instead of wrapping back
// into it.
#pragma once

#include <cstdint>

namespace qorv {

// Wide enough for any sum or difference of a 64-bit offset and a 64-bit
// length, and for rounding either to a 64-bit alignment.
__extension__ typedef __int128 WideOffset;

// `value` clamped to the signed 64-bit range.
int64_t saturate_offset(WideOffset value);

// The smallest multiple of `alignment` not below `value`; `value` itself
// when `alignment` is 0.
WideOffset round_up(WideOffset value, uint64_t alignment);
// The largest multiple of `alignment` not above `value`; `value` itself when
// `alignment` is 0.
WideOffset round_down(WideOffset value, uint64_t alignment);

// The signed reading of an offset stored in a FileEntry field.
inline int64_t as_offset(uint64_t stored) { return static_cast<int64_t>(stored); }

}  // namespace qorv
