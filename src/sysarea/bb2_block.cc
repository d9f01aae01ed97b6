// The BB2 block (seven words at offset 0x420): where the boot file, the FST
// and the user area lie. ZEM mode stores offsets and lengths divided by 4.
#include <array>
#include <optional>

#include "core/settings_store.h"
#include "core/run_state.h"
#include "core/system_file_channel.h"
#include "core/byte_packing.h"
#include "sysarea/header_blocks.h"

namespace qorv {

namespace {

// An optional [BB2] number, taken unsigned (the divisions are unsigned).
std::optional<uint64_t> bb2_number(const RunState &run, KeyId key) {
  std::optional<int64_t> value = find_number(run.store, key::BB2, key);
  if (!value) return std::nullopt;
  return static_cast<uint64_t>(*value);
}

}  // namespace

std::optional<uint64_t> given_fst_max_length(const RunState &run) {
  std::optional<uint64_t> max = bb2_number(run, key::FSTMaxLength);
  if (max && *max / (run.is_ht() ? 1 : 4) == 0) return std::nullopt;  // a maximum of 0 counts as not given
  return max;
}

bool write_bb2_region(RunState &run) {
  const uint64_t unit = run.is_ht() ? 1 : 4;
  auto stored = [unit](uint64_t value) { return static_cast<uint32_t>(value / unit); };

  const uint32_t fst_length = stored(run.fst_size);
  uint32_t fst_max_length = fst_length;
  if (std::optional<uint64_t> max = given_fst_max_length(run)) fst_max_length = stored(*max);

  uint64_t fst_address;
  if (std::optional<uint64_t> address = bb2_number(run, key::FSTAddress))
    fst_address = *address;
  else  // loaded just below the end address, 32-byte aligned
    fst_address = (bb2_number(run, key::FSTEndAddress).value_or(0) - run.fst_size) & ~uint64_t{31};

  const auto user_start = static_cast<uint64_t>(run.user_area_start);
  const auto user_end = static_cast<uint64_t>(run.user_area_end);

  std::array<uint8_t, BB2_BLOCK_SIZE> block{};
  put_be32(block, 0x00, stored(run.boot_position));
  put_be32(block, 0x04, stored(run.fst_position));
  put_be32(block, 0x08, fst_length);
  put_be32(block, 0x0C, fst_max_length);
  put_be32(block, 0x10, static_cast<uint32_t>(fst_address));
  put_be32(block, 0x14, stored(user_start));
  put_be32(block, 0x18, stored(user_end - user_start));
  return write_region(run, block.data(), BB2_BLOCK_SIZE);
}

}  // namespace qorv
