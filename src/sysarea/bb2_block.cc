// The BB2 block (seven words at offset 0x420): where the boot file, the FST
// and the user area lie. ZEM mode stores offsets and lengths divided by 4.
#include <optional>

#include "core/settings_store.h"
#include "core/run_state.h"
#include "core/system_file_channel.h"
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
  if (max && *max < offset_unit(run.target_mode)) return std::nullopt;  // a maximum of 0 counts as not given
  return max;
}

bool write_bb2_region(RunState &run) {
  Bb2Block bb2;
  bb2.boot_position = run.boot_position;
  bb2.fst_position = run.fst_position;
  bb2.fst_size = run.fst_size;
  bb2.fst_max_length = given_fst_max_length(run).value_or(run.fst_size);
  if (std::optional<uint64_t> address = bb2_number(run, key::FSTAddress))
    bb2.fst_address = static_cast<uint32_t>(*address);
  else  // loaded just below the end address, 32-byte aligned
    bb2.fst_address = static_cast<uint32_t>((bb2_number(run, key::FSTEndAddress).value_or(0) - run.fst_size) & ~uint64_t{31});
  const auto user_start = static_cast<uint64_t>(run.user_area_start);
  bb2.user_area_start = user_start;
  bb2.user_area_length = static_cast<uint64_t>(run.user_area_end) - user_start;
  const auto block = encode_bb2_block(bb2, run.target_mode);
  return write_region(run, block.data(), BB2_BLOCK_SIZE);
}

}  // namespace qorv
