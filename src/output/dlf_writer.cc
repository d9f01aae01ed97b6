#include "output/dlf_writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/host_setting.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/host_file.h"
#include "host/host_path.h"
#include "layout/offset_math.h"
#include "output/output_paths.h"

namespace qorv {

namespace {

// The file lists every line with a carriage return and a line feed, on every
// host.
constexpr std::string_view LINE_END = "\r\n";

// The two hex digits of every byte value.
constexpr std::array<char, 512> HEX_PAIRS = [] {
  std::array<char, 512> pairs{};
  for (int i = 0; i < 256; ++i) {
    pairs[static_cast<size_t>(2 * i)] = "0123456789abcdef"[i >> 4];
    pairs[static_cast<size_t>(2 * i + 1)] = "0123456789abcdef"[i & 0xF];
  }
  return pairs;
}();

// "0x%016I64x,\"%s\"" (ZEM) or "0x%08I64x,\"%s\"" (HT); names go in unchanged.
// The name is `name` followed by `name_end`. One line per file: the text
// grows once per line.
void append_item_line(std::string &text, bool ht, uint64_t offset, std::string_view name,
                      std::string_view name_end = {}) {
  char head[2 + 16 + 2] = {'0', 'x'};
  uint64_t rest = offset;
  for (size_t i = 8; i-- > 0; rest >>= 8) std::memcpy(head + 2 + 2 * i, &HEX_PAIRS[2 * (rest & 0xFF)], 2);
  head[18] = ',';
  head[19] = '"';
  const int significant = offset == 0 ? 1 : (67 - std::countl_zero(offset)) / 4;
  const auto skipped = static_cast<size_t>(16 - std::max(ht ? 8 : 16, significant));  // leading zeros not shown
  std::memmove(head + skipped, head, 2);

  const size_t head_length = sizeof head - skipped;
  const size_t at = text.size();
  const size_t name_length = name.size() + name_end.size();
  text.resize(at + head_length + name_length + 1 + LINE_END.size());
  char *out = text.data() + at;
  std::memcpy(out, head + skipped, head_length);
  std::copy(name.begin(), name.end(), out + head_length);
  std::copy(name_end.begin(), name_end.end(), out + head_length + name.size());
  out[head_length + name_length] = '"';
  std::memcpy(out + head_length + name_length + 1, LINE_END.data(), LINE_END.size());
}

}  // namespace

bool write_dlf(RunState &run) {
  // The first output stage: nothing is created while two outputs, or an
  // output and an input, are one file.
  if (!check_output_paths(run)) return false;

  const bool ht = run.is_ht();
  const std::string dlf_path = find_host_path(run.store, key::Output, key::LayoutFileName);

  HostFile file;
  if (!file.open(dlf_path, FileAccess::Write)) {
    report_error(run, MessageId::CreateError, {dlf_path});
    return false;
  }

  // One write failure is reported once; the rest of the file is not tried.
  bool write_ok = true;
  auto put = [&](std::string_view text) {
    if (write_ok && !file.write(text.data(), text.size())) {
      report_error(run, MessageId::WriteError, {dlf_path});
      write_ok = false;
    }
  };

  // The text goes out in pieces of about 64 KiB, so a large disc does not
  // hold its whole DLF in memory.
  constexpr size_t PIECE = 64 * 1024;
  std::string text;
  text.reserve(PIECE + 4096);
  if (ht) {
    text += "v1.00";
    text += LINE_END;
  } else {
    text += "v2.00";
    text += LINE_END;
    text += "ZEM_CONFIG_FILE,\"";
    text += find_host_path(run.store, key::Output, key::ConfigFileName);
    text += '"';
    text += LINE_END;
  }
  append_item_line(text, ht, 0, find_host_path(run.store, key::Output, key::SystemFileName));
  std::string dir_and_slash;
  const std::string *dir = nullptr;
  for (const FileEntry *item : run.layout_queue) {
    if (!item->host_dir) {
      append_item_line(text, ht, item->position, item->own_host_path);
    } else {
      // A scanned entry: its directory's host path, a separator, its name.
      if (item->host_dir != dir) {
        dir = item->host_dir;
        dir_and_slash.assign(*dir).append(1, HOST_PATH_SEPARATOR);
      }
      append_item_line(text, ht, item->position, dir_and_slash, item->host_name());
    }
    if (text.size() >= PIECE) {
      put(text);
      text.clear();
    }
  }
  put(text);

  // The end of the last entry in list order (not the highest one) must stay
  // within the user area, also once raised to a multiple of 4; an end exactly
  // at the bound is not raised.
  WideOffset end = run.user_area_start;
  if (!run.layout_queue.empty()) {
    const FileEntry &last = *run.layout_queue.back();
    end = WideOffset{as_offset(last.position)} + last.extent;
  }
  const WideOffset bound = run.user_area_end;
  bool in_range = end <= bound;
  if (in_range && end < bound) {
    end = (end + 3) / 4 * 4;
    in_range = end <= bound;
  }
  const uint64_t closing = static_cast<uint64_t>(end + 32);

  if (in_range) {
    text.clear();
    append_item_line(text, ht, closing, "");
    put(text);
  } else {
    // The text prints E and E + 32; the bounds go along as the call always
    // passed them.
    report_error(run, "Last LBA", -1, MessageId::OutOfFstRange,
                 {static_cast<uint64_t>(end), closing, run.user_area_start, run.user_area_end});
  }

  // The DLF stays on the disk, complete or not; a failed close loses data too.
  if (!file.close() && write_ok) {
    report_error(run, MessageId::WriteError, {dlf_path});
    write_ok = false;
  }
  return in_range && write_ok;
}

}  // namespace qorv
