// Regions 1 to 4 of the system file: the disc ID block, the disc info block,
// the loader block and the BB2 block, built from [DiskID], [BB2] and the
// system positions. In ZEM mode the first two also fill `disc_header_copy`.
// Each writes at the current position of the system file and returns false
// when the write (or, for the disc info block, the text) is refused.
#pragma once

#include <cstdint>
#include <optional>

namespace qorv {

struct RunState;

inline constexpr uint32_t DISC_ID_BLOCK_SIZE = 32;
inline constexpr uint32_t ZEM_DISC_INFO_BLOCK_SIZE = 66;  // 64 text bytes, hash and encryption flags
inline constexpr uint32_t LOADER_BLOCK_SIZE = 16;
inline constexpr uint32_t BB2_BLOCK_SIZE = 28;

// The magic word of each mode in the disc ID block; the other mode's place
// stays zero. Readers of an image tell the mode by them.
inline constexpr uint32_t ZEM_MAGIC = 0x5D1C9EA3;
inline constexpr uint32_t ZEM_MAGIC_OFFSET = 0x18;
inline constexpr uint32_t HT_MAGIC = 0xC2339F3D;
inline constexpr uint32_t HT_MAGIC_OFFSET = 0x1C;
inline constexpr uint32_t LOADER_BLOCK_OFFSET = 0x400;
inline constexpr uint32_t BB2_BLOCK_OFFSET = 0x420;

bool write_disk_id_region(RunState &run);
bool write_disk_info_region(RunState &run);
bool write_loader_info_region(RunState &run);
bool write_bb2_region(RunState &run);

// [BB2] FSTMaxLength when the BB2 block uses it: defined, and not 0 once
// divided by the mode's unit (a maximum of 0 counts as not given).
std::optional<uint64_t> given_fst_max_length(const RunState &run);

}  // namespace qorv
