#include "tree/fst_record.h"

namespace qorv {

std::array<uint8_t, FST_RECORD_SIZE> encode_fst_record(const FileEntry &entry, TargetMode mode, FstFormat format) {
  FstRecord record{entry.kind, entry.replica_mode, entry.name_offset};
  // Only the low 32 bits of each value are stored.
  if (entry.is_directory()) {
    record.word1 = static_cast<uint32_t>(entry.parent_index());
    record.word2 = static_cast<uint32_t>(entry.next_index());
  } else {
    record.word1 = stored_offset(mode, entry.position);
    record.word2 = static_cast<uint32_t>(entry.kind == FstKind::File ? entry.file_size : entry.extent);
  }
  return encode_fst_record(record, format);
}

}  // namespace qorv
