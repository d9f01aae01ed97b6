#include "sysarea/system_layout.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "core/host_setting.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "disc/dlf_format.h"
#include "host/directory_listing.h"
#include "host/host_file.h"
#include "host/host_path.h"
#include "sysarea/header_words.h"

namespace qorv {

namespace {

constexpr uint64_t MIN_BOOT_POSITION = 0x18000;
constexpr uint64_t USER_AREA_ALIGNMENT = 0x8000;
// The system file and the loader block hold 32-bit sizes.
constexpr uint64_t MAX_SYSTEM_INPUT_SIZE = uint64_t{1} << 32;

uint64_t round_up(uint64_t value, uint64_t unit) { return (value + unit - 1) / unit * unit; }

// `value` - `amount`, saturating at the bottom of the signed 64-bit range: an
// FSTuserEnd written far below zero must not wrap round to a huge user area.
int64_t saturating_minus(int64_t value, uint64_t amount) {
  __extension__ typedef __int128 Wide;
  const Wide result = Wide{value} - Wide{amount};
  return result < INT64_MIN ? INT64_MIN : static_cast<int64_t>(result);
}

// A FIFO or a socket as a system input has no size to reserve, and reading
// one could wait for a writer for ever: refused before any output.
bool refuse_stream(RunState &run, const std::string &name, const HostPathInfo &info) {
  if (!info.is_stream) return false;
  report_error_text(run, format_text("%s is not a file.", {name}));
  return true;
}

// The size of a loader or boot file; it must exist, be a file, and fit the
// disc format's 32-bit size fields.
bool measure_input(RunState &run, const std::string &name, uint64_t &size) {
  HostPathInfo info = look_up_path(name);
  if (!info.exists || info.is_directory) {
    report_error(run, MessageId::OpenError, {name});
    return false;
  }
  if (refuse_stream(run, name, info)) return false;
  if (info.size >= MAX_SYSTEM_INPUT_SIZE) {
    report_error_text(run, format_text("%s is too large for the disc format.", {name}));
    return false;
  }
  size = info.size;
  return true;
}

}  // namespace

bool compute_system_layout(RunState &run) {
  std::string ldr_name = find_host_path(run.store, key::Input, key::LDRFileName);
  if (!measure_input(run, ldr_name, run.ldr_size)) return false;
  run.boot_position = std::max(round_up(run.ldr_position + run.ldr_size, 0x100), MIN_BOOT_POSITION);

  std::string boot_name = find_host_path(run.store, key::Input, key::BootFileName);
  if (!measure_input(run, boot_name, run.boot_size)) return false;
  run.fst_position = round_up(run.boot_position + run.boot_size, 0x100);

  // The BI2 template is read only when the system file is written.
  std::string bi2_name = find_host_path(run.store, key::Input, key::BI2FileName);
  if (refuse_stream(run, bi2_name, look_up_path(bi2_name))) return false;
  run.fst_size = run.fst_entries_size + run.fst_names_size + run.fst_copy_lists_size;

  uint64_t fst_end = run.fst_position + run.fst_size;
  if (std::optional<int64_t> top = find_number(run.store, key::BB2, key::FSTuserTop)) {
    // Files placed below the FST's end would overwrite it.
    if (*top < static_cast<int64_t>(fst_end)) {
      report_error_text(run,
                        format_text("FSTuserTop(%016I64X) is below the end of the FST(%016I64X).", {*top, fst_end}));
      return false;
    }
    run.user_area_start = *top;
  } else {
    run.user_area_start = static_cast<int64_t>(round_up(round_up(fst_end, 0x100), USER_AREA_ALIGNMENT));
  }

  run.user_area_end =
      saturating_minus(find_number(run.store, key::BB2, key::FSTuserEnd).value_or(0), DLF_CLOSING_MARGIN);
  if (!run.is_ht()) {
    std::string sys_name = find_host_path(run.store, key::Input, key::ZEMSysFileName);
    HostFile sys_file;
    if (!sys_file.open(sys_name, FileAccess::Read)) {
      print_output(run, format_text("EEROR %s\n", {sys_name}));
      report_error(run, MessageId::OpenError, {sys_name});
      return false;
    }
    run.zem_sys_size = sys_file.count();
    run.user_area_end = saturating_minus(run.user_area_end, run.zem_sys_size + CONFIG_HEADER_SIZE);
    sys_file.close();
  }
  return check_header_words(run);
}

}  // namespace qorv
