// The system file: the disc from offset 0 to the end of the FST, written as
// eight regions in disc order with zero fill between them.
#include "output/system_file_writer.h"

#include <array>
#include <string>

#include "core/settings_store.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "tree/fst_writer.h"
#include "core/system_file_channel.h"
#include "sysarea/bi2_block.h"
#include "sysarea/header_blocks.h"
#include "sysarea/loader_regions.h"
#include "core/host_setting.h"

namespace qorv {

namespace {

struct SystemRegion {
  bool (*writer)(RunState &run);
  uint64_t offset;
};

// The regions in the order they are written. The boot file and the FST
// follow the measured inputs, so their offsets come from the system layout.
std::array<SystemRegion, 8> system_regions(const RunState &run) {
  return {{
      {write_disk_id_region, 0x0000},
      {write_disk_info_region, 0x0020},
      {write_loader_info_region, 0x0400},
      {write_bb2_region, 0x0420},
      {write_bi2_region, 0x0440},
      {write_ldr_region, run.ldr_position},
      {write_boot_region, run.boot_position},
      {write_fst_region, run.fst_position},
  }};
}

}  // namespace

bool write_system_file(RunState &run) {
  const std::string path = find_host_path(run.store, key::Output, key::SystemFileName);
  if (!run.system_file.open(path, FileAccess::Write)) {
    report_error(run, MessageId::CreateError, {path});
    return false;
  }
  bool written = true;
  for (const SystemRegion &region : system_regions(run)) {
    if (!pad_to(run, region.offset) || !region.writer(run)) {
      written = false;
      break;
    }
  }
  if (!run.system_file.close() && written) {  // the last bytes may only fail to land here
    report_error(run, MessageId::WriteError, {path});
    written = false;
  }
  return written;
}

}  // namespace qorv
