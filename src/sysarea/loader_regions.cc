// Regions 6 and 7 of the system file: byte copies of the loader file and the
// boot file, of the sizes measured when the system layout was fixed.
#include "sysarea/loader_regions.h"

#include <cstdint>
#include <string>

#include "core/settings_store.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/file_pieces.h"
#include "core/system_file_channel.h"
#include "core/host_setting.h"

namespace qorv {

namespace {

// Copies the [Input] file `key` into the system file, piece by piece. It
// must still hold the `size` bytes measured when the system layout was
// fixed: the layout behind it depends on that size. The system file's
// offsets are 32-bit, so a larger file is refused rather than cut.
bool copy_input_file(RunState &run, KeyId key, uint64_t size) {
  const std::string path = find_host_path(run.store, key::Input, key);
  if (size >= DISC_WORD_LIMIT) {
    report_error_text(run, format_text("%s is too large for the disc format.", {path}));
    return false;
  }
  auto take = [&run](const void *bytes, uint32_t length) { return write_region(run, bytes, length); };
  switch (read_in_pieces(path, size, take)) {
    case PieceRead::Done: return true;
    case PieceRead::Stopped: return false;  // the write failure is reported
    default:
      report_error(run, MessageId::ReadError, {path});
      return false;
  }
}

}  // namespace

bool write_ldr_region(RunState &run) { return copy_input_file(run, key::LDRFileName, run.ldr_size); }

bool write_boot_region(RunState &run) { return copy_input_file(run, key::BootFileName, run.boot_size); }

}  // namespace qorv
