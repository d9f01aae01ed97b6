// The disc ID block (32 bytes at offset 0): game name, company, disc number,
// version, streaming settings and the platform's magic word.
#include <algorithm>
#include <array>
#include <string>

#include "core/disc_text.h"
#include "core/settings_store.h"
#include "core/run_state.h"
#include "core/system_file_channel.h"
#include "disc/byte_packing.h"
#include "sysarea/header_blocks.h"

namespace qorv {

namespace {

// The first `count` bytes of a text key; bytes past a shorter text stay zero.
void copy_prefix(const RunState &run, KeyId key, uint8_t *field, size_t count) {
  const std::string *text = find_text(run.store, key::DiskID, key);
  if (!text) return;
  const std::string bytes = disc_text(run, text->c_str());  // the text ends at its first zero byte
  std::copy_n(bytes.begin(), std::min(count, bytes.size()), field);
}

uint64_t number_or_zero(const RunState &run, KeyId key) {
  return static_cast<uint64_t>(find_number(run.store, key::DiskID, key).value_or(0));
}

}  // namespace

bool write_disk_id_region(RunState &run) {
  std::array<uint8_t, DISC_ID_BLOCK_SIZE> block{};
  copy_prefix(run, key::GameName, &block[0x00], 4);
  copy_prefix(run, key::Company, &block[0x04], 2);
  block[0x06] = bcd_byte(number_or_zero(run, key::DiskNumber));
  block[0x07] = bcd_byte(number_or_zero(run, key::GameVersion));
  block[0x08] = static_cast<uint8_t>(number_or_zero(run, key::Streaming));
  block[0x09] = static_cast<uint8_t>(number_or_zero(run, key::StreamingBufSize));
  put_magic_word(block, run.target_mode);
  if (!run.is_ht()) std::copy(block.begin(), block.end(), run.disc_header_copy.begin());
  return write_region(run, block.data(), DISC_ID_BLOCK_SIZE);
}

}  // namespace qorv
