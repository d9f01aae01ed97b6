#include "output/dlf_writer.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/host_setting.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "disc/dlf_format.h"
#include "host/host_file.h"
#include "host/host_path.h"
#include "layout/offset_math.h"
#include "output/output_paths.h"

namespace qorv {

namespace {

// The version line, the configuration line of ZEM mode and the system
// file's item line.
void append_dlf_header(const RunState &run, std::string &text) {
  append_dlf_version_line(text, run.target_mode);
  if (!run.is_ht()) append_dlf_config_line(text, find_host_path(run.store, key::Output, key::ConfigFileName));
  append_dlf_item_line(text, run.target_mode, 0, find_host_path(run.store, key::Output, key::SystemFileName));
}

// The text goes out in pieces of about 64 KiB, so a large disc does not
// hold its whole DLF in memory.
constexpr size_t PIECE = 64 * 1024;

// One item line per entry of the layout queue, behind what `text` holds; a
// full piece goes to `put`, the rest stays in `text`.
template <class Put>
void append_dlf_items(const RunState &run, std::string &text, Put &&put) {
  std::string dir_and_slash;
  const std::string *dir = nullptr;
  for (const FileEntry *item : run.layout_queue) {
    if (!item->host_dir) {
      append_dlf_item_line(text, run.target_mode, item->position, item->own_host_path);
    } else {
      // A scanned entry: its directory's host path, a separator, its name.
      if (item->host_dir != dir) {
        dir = item->host_dir;
        dir_and_slash.assign(*dir).append(1, HOST_PATH_SEPARATOR);
      }
      append_dlf_item_line(text, run.target_mode, item->position, dir_and_slash, item->host_name());
    }
    if (text.size() >= PIECE) {
      put(text);
      text.clear();
    }
  }
}

struct DlfClosing {
  bool in_range = false;
  WideOffset end = 0;   // of the layout; below the bound, raised to a multiple of 4
  uint64_t offset = 0;  // of the closing line
};

// The layout's end (that of the last entry in list order, not the highest
// one) must stay within the user area, also once raised to a multiple of 4;
// an end exactly at the bound is not raised.
DlfClosing dlf_closing(WideOffset end, WideOffset bound) {
  DlfClosing closing{end <= bound, end};
  if (closing.in_range && end < bound) {
    closing.end = (end + 3) / 4 * 4;
    closing.in_range = closing.end <= bound;
  }
  closing.offset = static_cast<uint64_t>(closing.end + DLF_CLOSING_MARGIN);
  return closing;
}

}  // namespace

bool write_dlf(RunState &run) {
  // The first output stage: nothing is created while two outputs, or an
  // output and an input, are one file.
  if (!check_output_paths(run)) return false;

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

  std::string text;
  text.reserve(PIECE + 4096);
  append_dlf_header(run, text);
  append_dlf_items(run, text, put);
  put(text);

  WideOffset end = run.user_area_start;
  if (!run.layout_queue.empty()) {
    const FileEntry &last = *run.layout_queue.back();
    end = WideOffset{as_offset(last.position)} + last.extent;
  }
  const DlfClosing closing = dlf_closing(end, run.user_area_end);
  if (closing.in_range) {
    text.clear();
    append_dlf_item_line(text, run.target_mode, closing.offset, "");
    put(text);
  } else {
    // The text prints E and E + 32; the bounds go along as the call always
    // passed them.
    report_error(run, "Last LBA", -1, MessageId::OutOfFstRange,
                 {static_cast<uint64_t>(closing.end), closing.offset, run.user_area_start, run.user_area_end});
  }

  // The DLF stays on the disk, complete or not; a failed close loses data too.
  if (!file.close() && write_ok) {
    report_error(run, MessageId::WriteError, {dlf_path});
    write_ok = false;
  }
  return closing.in_range && write_ok;
}

}  // namespace qorv
