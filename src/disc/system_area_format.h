// The system area at the start of every disc: in the first 0x440 bytes the
// disc ID block (with the mode's magic word), the disc info text, the loader
// block and the boot block (BB2); then the 8 KiB BI2 block, and the loader
// file at 0x2440. Numbers are big-endian words.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "disc/disc_mode.h"

namespace qorv {

inline constexpr uint32_t DISC_ID_BLOCK_SIZE = 32;  // at offset 0
inline constexpr uint32_t DISC_INFO_OFFSET = 0x20;
inline constexpr uint32_t ZEM_DISC_INFO_BLOCK_SIZE = 66;  // 64 text bytes, hash and encryption flags
inline constexpr uint32_t ZEM_DISC_INFO_TEXT_SIZE = 64;
inline constexpr uint32_t LOADER_BLOCK_OFFSET = 0x400;
inline constexpr uint32_t LOADER_BLOCK_SIZE = 16;
inline constexpr uint32_t BB2_BLOCK_OFFSET = 0x420;
inline constexpr uint32_t BB2_BLOCK_SIZE = 28;
// The header ends where the BI2 block begins.
inline constexpr uint32_t DISC_HEADER_SIZE = 0x440;
inline constexpr uint32_t BI2_BLOCK_OFFSET = 0x440;
inline constexpr uint32_t BI2_BLOCK_SIZE = 0x2000;
inline constexpr uint64_t LDR_POSITION = 0x2440;

// The configuration file of ZEM mode: a copy of the header up to the loader
// block (the disc ID block and the disc info text, 1024 bytes), zero bytes up
// to CONFIG_HEADER_SIZE, then the ZEM system file. The user area ends early
// enough to leave room for it at the end of the disc.
inline constexpr uint32_t DISC_HEADER_COPY_SIZE = LOADER_BLOCK_OFFSET;
inline constexpr uint32_t CONFIG_HEADER_SIZE = 0x40000;

// The magic word of each mode in the disc ID block; the other mode's place
// stays zero. Readers of an image tell the mode by them.
inline constexpr uint32_t ZEM_MAGIC = 0x5D1C9EA3;
inline constexpr uint32_t ZEM_MAGIC_OFFSET = 0x18;
inline constexpr uint32_t HT_MAGIC = 0xC2339F3D;
inline constexpr uint32_t HT_MAGIC_OFFSET = 0x1C;

// Puts `mode`'s magic word into a disc ID block.
void put_magic_word(std::span<uint8_t, DISC_ID_BLOCK_SIZE> block, TargetMode mode);

// What a header's magic words say: one mode, or nothing when it holds
// neither or both. `both` tells those two apart.
struct HeaderMagic {
  std::optional<TargetMode> mode;
  bool both = false;
};
HeaderMagic read_magic_words(std::span<const uint8_t, DISC_ID_BLOCK_SIZE> block);

// The loader block: HT mode records the loader file's size (low 32 bits) and
// its load address; ZEM mode leaves the block zero.
std::array<uint8_t, LOADER_BLOCK_SIZE> encode_loader_block(TargetMode mode, uint64_t loader_size);
// The loader size an HT loader block records.
uint64_t decode_loader_size(std::span<const uint8_t, LOADER_BLOCK_SIZE> block);

// The boot block's seven words as byte values. Offsets and lengths are
// stored divided by the mode's unit; the FST load address is stored as is.
struct Bb2Block {
  uint64_t boot_position = 0;
  uint64_t fst_position = 0;
  uint64_t fst_size = 0;
  uint64_t fst_max_length = 0;
  uint32_t fst_address = 0;
  uint64_t user_area_start = 0;
  uint64_t user_area_length = 0;
  bool operator==(const Bb2Block &) const = default;
};

std::array<uint8_t, BB2_BLOCK_SIZE> encode_bb2_block(const Bb2Block &bb2, TargetMode mode);
Bb2Block decode_bb2_block(std::span<const uint8_t, BB2_BLOCK_SIZE> block, TargetMode mode);

}  // namespace qorv
