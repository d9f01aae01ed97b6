// The disc info block at offset 0x20: the [DiskID] DiskInfo text. HT mode
// stores the text and a terminator; ZEM mode a 64-byte field and the hash
// and encryption flags.
#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/settings_store.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "core/disc_text.h"
#include "core/system_file_channel.h"
#include "sysarea/header_blocks.h"

namespace qorv {

namespace {

// HT: text and terminator must end by the loader block at 0x400.
constexpr size_t HT_DISC_INFO_MAX_TEXT = LOADER_BLOCK_OFFSET - DISC_INFO_OFFSET - 1;

// A flag byte that is 1 when the feature is off (key undefined or 0).
uint8_t off_flag(const RunState &run, KeyId key) {
  return find_number(run.store, key::DiskID, key).value_or(0) == 0 ? 1 : 0;
}

bool write_ht_disc_info(RunState &run, std::string_view text) {
  if (text.size() > HT_DISC_INFO_MAX_TEXT) {
    report_error_text(run, "DiskInfo is too long.");
    return false;
  }
  std::vector<uint8_t> block(text.begin(), text.end());
  block.push_back(0);
  return write_region(run, block.data(), block.size());
}

bool write_zem_disc_info(RunState &run, std::string_view text) {
  std::array<uint8_t, ZEM_DISC_INFO_BLOCK_SIZE> block{};
  run.disc_code_page->copy_whole_characters(text, std::span(block).first(ZEM_DISC_INFO_TEXT_SIZE));
  block[0x40] = off_flag(run, key::Hash);
  block[0x41] = off_flag(run, key::Encryption);
  std::copy(block.begin(), block.end(), run.disc_header_copy.begin() + DISC_INFO_OFFSET);
  return write_region(run, block.data(), ZEM_DISC_INFO_BLOCK_SIZE);
}

}  // namespace

bool write_disk_info_region(RunState &run) {
  const std::string *info = find_text(run.store, key::DiskID, key::DiskInfo);
  const std::string text = disc_text(run, info ? info->c_str() : "");  // the text ends at its first zero byte
  return run.is_ht() ? write_ht_disc_info(run, text) : write_zem_disc_info(run, text);
}

}  // namespace qorv
