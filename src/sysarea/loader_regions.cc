// Regions 6 and 7 of the system file: byte copies of the loader file and the
// boot file, of the sizes measured when the system layout was fixed.
#include "sysarea/loader_regions.h"

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings_store.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/host_file.h"
#include "core/system_file_channel.h"
#include "core/host_setting.h"

namespace qorv {

namespace {

// Copies the first `size` bytes of the [Input] file `key` into the system
// file. The system file's offsets are 32-bit, so a larger file is refused
// rather than cut.
bool copy_input_file(RunState &run, KeyId key, uint64_t size) {
  const std::string path = find_host_path(run.store, key::Input, key);
  if (size > UINT32_MAX) {
    report_error_text(run, "", 0, format_text("%s is too large for the disc format.", {path}));
    return false;
  }
  std::vector<uint8_t> bytes(size);
  HostFile file;
  if (!file.open(path, FileAccess::Read) || !file.read(bytes.data(), static_cast<uint32_t>(size))) {
    report_error(run, "", 0, MessageId::ReadError, {path});
    return false;
  }
  file.close();
  return write_region(run, bytes.data(), static_cast<uint32_t>(size));
}

}  // namespace

bool write_ldr_region(RunState &run) { return copy_input_file(run, key::LDRFileName, run.ldr_size); }

bool write_boot_region(RunState &run) { return copy_input_file(run, key::BootFileName, run.boot_size); }

}  // namespace qorv
