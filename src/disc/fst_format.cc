#include "disc/fst_format.h"

#include "disc/byte_packing.h"

namespace qorv {

namespace {
uint8_t type_byte(const FstRecord &record, FstFormat format) {
  const auto kind = static_cast<uint8_t>(record.kind);
  if (format == FstFormat::Plain) return kind;
  return static_cast<uint8_t>((static_cast<uint8_t>(record.replica) & 3) << 2 | (kind & 3));
}

// The kinds and replica modes a writer pairs: ordinary, mirrored or copied
// files, ordinary directories, and twins of mirrored files.
bool written_pair(FstKind kind, ReplicaKind replica) {
  switch (kind) {
    case FstKind::File: return true;
    case FstKind::Directory: return replica == ReplicaKind::Ordinary;
    case FstKind::MirrorTwin: return replica == ReplicaKind::Mirrored;
  }
  return false;
}
}  // namespace

std::array<uint8_t, FST_RECORD_SIZE> encode_fst_record(const FstRecord &record, FstFormat format) {
  std::array<uint8_t, FST_RECORD_SIZE> bytes{};
  put_be32(bytes, 0, static_cast<uint32_t>(type_byte(record, format)) << 24 | (record.name_offset & NAME_OFFSET_MASK));
  put_be32(bytes, 4, record.word1);
  put_be32(bytes, 8, record.word2);
  return bytes;
}

std::optional<FstRecord> decode_fst_record(std::span<const uint8_t, FST_RECORD_SIZE> bytes, FstFormat format) {
  const uint8_t type = bytes[0];
  FstRecord record;
  if (format == FstFormat::Plain) {
    if (type > 1) return std::nullopt;
    record.kind = static_cast<FstKind>(type);
  } else {
    const uint8_t kind = type & 3, replica = type >> 2;
    if (kind == 3 || replica == 2 || replica > 3) return std::nullopt;
    record.kind = static_cast<FstKind>(kind);
    record.replica = static_cast<ReplicaKind>(replica);
    if (!written_pair(record.kind, record.replica)) return std::nullopt;
  }
  record.name_offset = get_be32(bytes, 0) & NAME_OFFSET_MASK;
  record.word1 = get_be32(bytes, 4);
  record.word2 = get_be32(bytes, 8);
  return record;
}

}  // namespace qorv
