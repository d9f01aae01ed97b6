#include "disc/system_area_format.h"

#include "disc/byte_packing.h"

namespace qorv {

namespace {
constexpr uint32_t HT_LOADER_ADDRESS = 0x80280060;

// The BB2 words in their order.
constexpr size_t BOOT_POSITION_WORD = 0x00, FST_POSITION_WORD = 0x04, FST_SIZE_WORD = 0x08,
                 FST_MAX_LENGTH_WORD = 0x0C, FST_ADDRESS_WORD = 0x10, USER_START_WORD = 0x14,
                 USER_LENGTH_WORD = 0x18;
}  // namespace

void put_magic_word(std::span<uint8_t, DISC_ID_BLOCK_SIZE> block, TargetMode mode) {
  if (mode == TargetMode::HT)
    put_be32(block, HT_MAGIC_OFFSET, HT_MAGIC);
  else
    put_be32(block, ZEM_MAGIC_OFFSET, ZEM_MAGIC);
}

HeaderMagic read_magic_words(std::span<const uint8_t, DISC_ID_BLOCK_SIZE> block) {
  const bool zem = get_be32(block, ZEM_MAGIC_OFFSET) == ZEM_MAGIC;
  const bool ht = get_be32(block, HT_MAGIC_OFFSET) == HT_MAGIC;
  HeaderMagic magic;
  magic.both = zem && ht;
  if (zem != ht) magic.mode = zem ? TargetMode::ZEM : TargetMode::HT;
  return magic;
}

std::array<uint8_t, LOADER_BLOCK_SIZE> encode_loader_block(TargetMode mode, uint64_t loader_size) {
  std::array<uint8_t, LOADER_BLOCK_SIZE> block{};
  if (mode == TargetMode::HT) {
    put_be32(block, 0x00, static_cast<uint32_t>(loader_size));
    put_be32(block, 0x04, HT_LOADER_ADDRESS);
  }
  return block;
}

uint64_t decode_loader_size(std::span<const uint8_t, LOADER_BLOCK_SIZE> block) { return get_be32(block, 0x00); }

std::array<uint8_t, BB2_BLOCK_SIZE> encode_bb2_block(const Bb2Block &bb2, TargetMode mode) {
  std::array<uint8_t, BB2_BLOCK_SIZE> block{};
  put_be32(block, BOOT_POSITION_WORD, stored_offset(mode, bb2.boot_position));
  put_be32(block, FST_POSITION_WORD, stored_offset(mode, bb2.fst_position));
  put_be32(block, FST_SIZE_WORD, stored_offset(mode, bb2.fst_size));
  put_be32(block, FST_MAX_LENGTH_WORD, stored_offset(mode, bb2.fst_max_length));
  put_be32(block, FST_ADDRESS_WORD, bb2.fst_address);
  put_be32(block, USER_START_WORD, stored_offset(mode, bb2.user_area_start));
  put_be32(block, USER_LENGTH_WORD, stored_offset(mode, bb2.user_area_length));
  return block;
}

Bb2Block decode_bb2_block(std::span<const uint8_t, BB2_BLOCK_SIZE> block, TargetMode mode) {
  Bb2Block bb2;
  bb2.boot_position = real_offset(mode, get_be32(block, BOOT_POSITION_WORD));
  bb2.fst_position = real_offset(mode, get_be32(block, FST_POSITION_WORD));
  bb2.fst_size = real_offset(mode, get_be32(block, FST_SIZE_WORD));
  bb2.fst_max_length = real_offset(mode, get_be32(block, FST_MAX_LENGTH_WORD));
  bb2.fst_address = get_be32(block, FST_ADDRESS_WORD);
  bb2.user_area_start = real_offset(mode, get_be32(block, USER_START_WORD));
  bb2.user_area_length = real_offset(mode, get_be32(block, USER_LENGTH_WORD));
  return bb2;
}

}  // namespace qorv
