#include "tree/fst_record.h"

#include "core/byte_packing.h"

namespace qorv {

std::array<uint8_t, FST_RECORD_SIZE> encode_fst_record(const FileEntry &entry, bool ht_mode, bool advanced_fst) {
  // The advanced format packs the replica mode above the kind.
  uint32_t type = (ht_mode || !advanced_fst)
                      ? static_cast<uint32_t>(entry.kind) & 0xFF
                      : ((entry.replica_mode & 3) << 2) | (static_cast<uint32_t>(entry.kind) & 3);
  bool placed_item = entry.kind == KIND_FILE || entry.kind == KIND_MIRROR_TWIN;
  uint64_t position = (!ht_mode && placed_item) ? entry.position / 4 : entry.position;
  uint64_t size = entry.kind == KIND_FILE ? entry.file_size : entry.extent;

  const uint32_t words[3] = {type << 24 | (entry.name_offset & 0xFFFFFF), static_cast<uint32_t>(position),
                             static_cast<uint32_t>(size)};
  std::array<uint8_t, FST_RECORD_SIZE> bytes{};
  for (size_t w = 0; w < 3; ++w) put_be32(bytes, w * 4, words[w]);
  return bytes;
}

}  // namespace qorv
