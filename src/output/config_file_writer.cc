// The configuration file (ZEM mode only): the disc header copy, zero bytes up
// to CONFIG_HEADER_SIZE, then the whole ZEM system file.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/settings_store.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/file_pieces.h"
#include "host/host_file.h"
#include "output/system_file_writer.h"
#include "core/host_setting.h"

namespace qorv {

namespace {

// Copies the ZEM system file behind the header area, piece by piece. It must
// still hold the bytes measured for the user area's end, which keeps exactly
// that much room for this file; failures to open or read it name it as its
// open does.
bool copy_zem_system_file(RunState &run, const std::function<bool(const void *, uint32_t)> &write) {
  const std::string path = find_host_path(run.store, key::Input, key::ZEMSysFileName);
  // The configuration file's length is kept on the disc as a 32-bit value.
  if (run.zem_sys_size >= DISC_WORD_LIMIT) {
    report_error_text(run, format_text("%s is too large for the disc format.", {path}));
    return false;
  }
  switch (read_in_pieces(path, run.zem_sys_size, write)) {
    case PieceRead::Done: return true;
    case PieceRead::Stopped: return false;  // the write failure is reported
    case PieceRead::OtherSize: report_error(run, MessageId::ReadError, {path}); return false;
    default: report_error(run, MessageId::OpenError, {path}); return false;
  }
}

}  // namespace

bool write_config_file(RunState &run) {
  if (run.is_ht()) return true;

  const std::string path = find_host_path(run.store, key::Output, key::ConfigFileName);
  HostFile config;
  if (!config.open(path, FileAccess::Write)) {
    report_error(run, MessageId::CreateError, {path});
    return false;
  }
  auto write = [&](const void *bytes, size_t length) {
    if (config.write(bytes, length)) return true;
    report_error(run, MessageId::WriteError, {path});
    return false;
  };

  const std::vector<uint8_t> zeros(CONFIG_HEADER_SIZE - run.disc_header_copy.size(), 0);
  if (!write(run.disc_header_copy.data(), run.disc_header_copy.size())) return false;
  if (!write(zeros.data(), zeros.size())) return false;

  if (!copy_zem_system_file(run, write)) return false;

  if (!config.close()) {  // the last bytes may only fail to land here
    report_error(run, MessageId::WriteError, {path});
    return false;
  }
  return true;
}

}  // namespace qorv
