#include "layout/format_limits.h"

#include <cstdint>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "disc/fst_format.h"
#include "layout/gap_marker.h"

namespace qorv {

bool check_format_limits(RunState &run) {
  // The FST holds a position in 32 bits; ZEM mode stores it divided by 4.
  const TargetMode mode = run.target_mode;

  bool ok = true;
  auto fail = [&](std::string_view format, MessageArgs args) {
    report_error_text(run, format_text(format, args));
    ok = false;
  };
  for (const FileEntry *item : run.layout_queue) {
    if (is_gap_marker(*item)) continue;
    if (item->file_size >= DISC_WORD_LIMIT || item->extent >= DISC_WORD_LIMIT)
      fail("%s is too large for the disc format.", {item->host_path()});
    if (item->position >= stored_offset_limit(mode))
      fail("LBA(%016I64X) of %s is out of the disc format.", {item->position, item->host_path()});
    if (item->position % offset_unit(mode) != 0)
      fail("LBA(%016I64X) of %s is not a multiple of 4.", {item->position, item->host_path()});
  }
  if (run.fst_names_size > NAME_TABLE_LIMIT) fail("FST name table is too large.", {});
  return ok;
}

}  // namespace qorv
