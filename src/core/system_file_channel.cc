#include "core/system_file_channel.h"

#include <vector>

#include "core/diagnostics.h"
#include "core/run_state.h"

namespace qorv {

bool write_region(RunState &run, const void *buffer, uint32_t length) {
  if (run.system_file.write(buffer, length)) return true;
  report_error(run, MessageId::WriteError, {run.system_file.path()});
  return false;
}

bool pad_to(RunState &run, uint64_t offset) {
  uint64_t position = run.system_file.position();
  if (position == offset) return true;
  if (position > offset || offset - position > UINT32_MAX) {
    report_error(run, MessageId::WriteError, {run.system_file.path()});
    return false;
  }
  std::vector<char> zeros(offset - position, 0);
  return write_region(run, zeros.data(), static_cast<uint32_t>(zeros.size()));
}

}  // namespace qorv
