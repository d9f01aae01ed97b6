#include "core/system_file_channel.h"

#include <vector>

#include "core/diagnostics.h"
#include "core/run_state.h"

namespace qorv {

bool write_region(RunState &run, const void *buffer, size_t length) {
  if (run.system_file.write(buffer, length)) return true;
  report_error(run, MessageId::WriteError, {run.system_file.path()});
  return false;
}

bool pad_to(RunState &run, uint64_t offset) {
  uint64_t position = run.system_file.position();
  if (position == offset) return true;
  if (position > offset || offset - position >= DISC_WORD_LIMIT) {
    report_error(run, MessageId::WriteError, {run.system_file.path()});
    return false;
  }
  std::vector<char> zeros(offset - position, 0);
  return write_region(run, zeros.data(), zeros.size());
}

}  // namespace qorv
