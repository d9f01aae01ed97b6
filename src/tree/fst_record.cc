#include "tree/fst_record.h"

namespace qorv {

std::array<uint8_t, FST_RECORD_SIZE> encode_fst_record(const FileEntry &entry, bool ht_mode, bool advanced_fst) {
  const TargetMode mode = ht_mode ? TargetMode::HT : TargetMode::ZEM;
  FstRecord record;
  record.kind = static_cast<FstKind>(entry.kind);
  record.replica = static_cast<ReplicaKind>(entry.replica_mode & 3);
  record.name_offset = entry.name_offset;
  // Only the low 32 bits of each value are stored.
  const bool placed_item = entry.kind == KIND_FILE || entry.kind == KIND_MIRROR_TWIN;
  record.word1 = placed_item ? stored_offset(mode, entry.position) : static_cast<uint32_t>(entry.position);
  record.word2 = static_cast<uint32_t>(entry.kind == KIND_FILE ? entry.file_size : entry.extent);
  return encode_fst_record(record, fst_format(mode, advanced_fst));
}

}  // namespace qorv
