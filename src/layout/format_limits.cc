#include "layout/format_limits.h"

#include <cstdint>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "layout/gap_marker.h"

namespace qorv {

bool check_format_limits(RunState &run) {
  constexpr uint64_t size_limit = uint64_t{1} << 32;
  constexpr uint64_t name_table_limit = uint64_t{1} << 24;
  // The FST holds a position in 32 bits; ZEM mode stores it divided by 4.
  const bool zem = !run.is_ht();
  const uint64_t position_limit = zem ? uint64_t{1} << 34 : uint64_t{1} << 32;

  bool ok = true;
  auto fail = [&](std::string_view format, MessageArgs args) {
    report_error_text(run, "", 0, format_text(format, args));
    ok = false;
  };
  for (const FileEntry *item : run.layout_queue) {
    if (is_gap_marker(*item)) continue;
    if (item->file_size >= size_limit || item->extent >= size_limit)
      fail("%s is too large for the disc format.", {item->host_path()});
    if (item->position >= position_limit)
      fail("LBA(%016I64X) of %s is out of the disc format.", {item->position, item->host_path()});
    if (zem && item->position % 4 != 0)
      fail("LBA(%016I64X) of %s is not a multiple of 4.", {item->position, item->host_path()});
  }
  if (run.fst_names_size > name_table_limit) fail("FST name table is too large.", {});
  return ok;
}

}  // namespace qorv
