// The BI2 block: the template's first 8192 bytes with these words patched
// (big-endian, offsets from the block start):
//   0x08 argument header offset  0x0C debugger type  0x18 country code
//   0x1C disc count (BCD)        0x20 long file name support
// and the argument area packed against the end of the block.
#include "sysarea/bi2_block.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/disc_text.h"
#include "core/settings_store.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/host_file.h"
#include "host/name_case.h"
#include "core/system_file_channel.h"
#include "disc/byte_packing.h"
#include "core/host_setting.h"

namespace qorv {

namespace {

using Bi2Block = std::array<uint8_t, BI2_BLOCK_SIZE>;

// The first byte after the patched words; the argument area must not reach
// below it.
constexpr int64_t ARGUMENT_AREA_FLOOR = 0x24;

bool read_template(RunState &run, const std::string &path, Bi2Block &block) {
  HostFile file;
  if (!file.open(path, FileAccess::Read)) {
    report_error(run, MessageId::OpenError, {path});
    return false;
  }
  if (!file.read(block.data(), BI2_BLOCK_SIZE)) {
    report_error(run, MessageId::ReadError, {path});
    return false;
  }
  return true;
}

// "a", "b" for the informational line.
std::string quoted_list(const std::vector<std::string> &arguments) {
  std::string text;
  for (const std::string &argument : arguments) {
    if (!text.empty()) text += ", ";
    text += '"' + argument + '"';
  }
  return text;
}

// Packs the texts (each with a zero byte) so that the last zero byte lands on
// the block's second-to-last byte, and below them, 4-aligned, the header:
// the count, each text's offset, and 0. Stores the header's offset at 0x08.
// False when the area would reach into the patched words.
bool place_arguments(Bi2Block &block, const std::vector<std::string> &arguments) {
  const auto count = static_cast<int64_t>(arguments.size());
  int64_t texts_length = 0;
  for (const std::string &argument : arguments) texts_length += static_cast<int64_t>(argument.size()) + 1;

  const int64_t texts_start = static_cast<int64_t>(BI2_BLOCK_SIZE) - 1 - texts_length;
  const int64_t header_end = texts_start & ~int64_t{3};  // rounded down, also below 0
  const int64_t header_start = header_end - 4 * count - 8;
  if (header_start < ARGUMENT_AREA_FLOOR) return false;

  auto at = static_cast<size_t>(header_start);
  put_be32(block, at, static_cast<uint32_t>(count));
  auto text_at = static_cast<size_t>(texts_start);
  for (const std::string &argument : arguments) {
    at += 4;
    put_be32(block, at, static_cast<uint32_t>(text_at));
    std::copy(argument.begin(), argument.end(), block.begin() + static_cast<ptrdiff_t>(text_at));
    text_at += argument.size();
    block[text_at++] = 0;
  }
  put_be32(block, at + 4, 0);
  put_be32(block, 0x08, static_cast<uint32_t>(header_start));
  return true;
}

// 0 for "jp", 1 for "us", 2 for anything else ("eu"), ignoring letter case.
uint32_t country_word(std::string_view code) {
  auto is = [code](std::string_view name) { return ascii_iequals(code, name); };
  return is(country_names[0]) ? 0 : is(country_names[1]) ? 1 : 2;
}

// The Arguments list; a single text counts as a list of one.
std::optional<std::vector<std::string>> find_arguments(const RunState &run) {
  const Entry *entry = find_setting(run.store, key::BI2, key::Arguments);
  if (auto *list = dynamic_cast<const StringListEntry *>(entry)) return list->values;
  if (auto *text = dynamic_cast<const StringEntry *>(entry)) return std::vector<std::string>{text->value};
  return std::nullopt;
}

}  // namespace

bool write_bi2_region(RunState &run) {
  Bi2Block block;
  if (!read_template(run, find_host_path(run.store, key::Input, key::BI2FileName), block)) return false;

  if (std::optional<int64_t> flag = find_number(run.store, key::BI2, key::DEBUGFLAG); flag && *flag != 0) {
    print_info(run, format_text("  debugger-type=%d", {*flag}));
    put_be32(block, 0x0C, static_cast<uint32_t>(*flag));
  }

  const auto total_disk = static_cast<uint64_t>(find_number(run.store, key::DiskID, key::TotalDisk).value_or(0));
  put_be32(block, 0x1C, bcd_byte(total_disk));

  uint32_t long_names = 1;
  if (std::optional<int64_t> support = find_number(run.store, key::BI2, key::LongFileNameSupport)) {
    print_info(run, format_text("  LongFileNameSupport=%d", {*support}));
    long_names = static_cast<uint32_t>(*support);
  }
  put_be32(block, 0x20, long_names);

  if (std::optional<std::vector<std::string>> arguments = find_arguments(run)) {
    print_info(run, "  Arguments=" + quoted_list(*arguments));
    std::vector<std::string> on_disc;
    for (const std::string &argument : *arguments) on_disc.push_back(disc_text(run, argument));
    if (!place_arguments(block, on_disc)) {
      report_error_text(run, "Arguments are too long.");
      return false;
    }
  }

  if (const std::string *code = find_text(run.store, key::BI2, key::CountryCode)) {
    put_be32(block, 0x18, country_word(*code));
    print_info(run, "  CountryCode=" + *code);
  }

  return write_region(run, block.data(), BI2_BLOCK_SIZE);
}

}  // namespace qorv
