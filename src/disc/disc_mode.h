// The disc's two platform generations and how each stores offsets: the FST
// and the boot block hold offsets and lengths in 32-bit words, divided by 4
// in ZEM mode (the mode's offset unit). An offset survives being stored only
// when it is a multiple of the unit and below the unit times 2^32.
#pragma once

#include <cstdint>

namespace qorv {

enum class TargetMode { ZEM = 0, HT = 1 };

// Numbers in disc structures are 32-bit words: a size must lie below this.
inline constexpr uint64_t DISC_WORD_LIMIT = uint64_t{1} << 32;

constexpr uint64_t offset_unit(TargetMode mode) { return mode == TargetMode::HT ? 1 : 4; }

// The first offset a word cannot hold: 4 GiB in HT mode, 16 GiB in ZEM mode.
constexpr uint64_t stored_offset_limit(TargetMode mode) { return offset_unit(mode) * DISC_WORD_LIMIT; }

// The word stored for a byte offset or length: the low 32 bits of the value
// divided by the unit (a remainder is dropped, as the format does).
constexpr uint32_t stored_offset(TargetMode mode, uint64_t value) {
  return static_cast<uint32_t>(value / offset_unit(mode));
}

// The byte offset or length a stored word stands for.
constexpr uint64_t real_offset(TargetMode mode, uint32_t word) { return uint64_t{word} * offset_unit(mode); }

enum class OffsetFit { Fits, OutOfRange, NotAligned };

// Whether `value` comes back unchanged from stored_offset and real_offset.
constexpr OffsetFit offset_fit(TargetMode mode, uint64_t value) {
  if (value >= stored_offset_limit(mode)) return OffsetFit::OutOfRange;
  return value % offset_unit(mode) == 0 ? OffsetFit::Fits : OffsetFit::NotAligned;
}

}  // namespace qorv
