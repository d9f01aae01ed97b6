// The loader block (16 bytes at offset 0x400). Only HT mode fills it: the
// loader file's size and its fixed load address.
#include "core/run_state.h"
#include "core/system_file_channel.h"
#include "sysarea/header_blocks.h"

namespace qorv {

bool write_loader_info_region(RunState &run) {
  const auto block = encode_loader_block(run.target_mode, run.ldr_size);
  return write_region(run, block.data(), LOADER_BLOCK_SIZE);
}

}  // namespace qorv
