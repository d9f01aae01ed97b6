// The loader block (16 bytes at offset 0x400). Only HT mode fills it: the
// loader file's size and its fixed load address.
#include <array>

#include "core/run_state.h"
#include "core/system_file_channel.h"
#include "core/byte_packing.h"
#include "sysarea/header_blocks.h"

namespace qorv {

namespace {
constexpr uint32_t HT_LOADER_ADDRESS = 0x80280060;
}

bool write_loader_info_region(RunState &run) {
  std::array<uint8_t, LOADER_BLOCK_SIZE> block{};
  if (run.is_ht()) {
    put_be32(block, 0x00, static_cast<uint32_t>(run.ldr_size));
    put_be32(block, 0x04, HT_LOADER_ADDRESS);
  }
  return write_region(run, block.data(), LOADER_BLOCK_SIZE);
}

}  // namespace qorv
