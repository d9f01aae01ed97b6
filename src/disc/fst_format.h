// The file system table (FST): one 12-byte record per file and directory in
// FST order (the root first; its next index is the number of records), the
// name table behind the records and, in the advanced format, the copy lists
// behind the names. Every number is a big-endian 32-bit word.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "disc/disc_mode.h"

namespace qorv {

inline constexpr uint32_t FST_RECORD_SIZE = 12;

enum class FstKind : uint8_t { File = 0, Directory = 1, MirrorTwin = 2 };

// A file's replica mode: an ordinary file, a mirrored file (its twin, which
// has the same mode, follows it) or a copied file (it has a copy list).
enum class ReplicaKind : uint8_t { Ordinary = 0, Mirrored = 1, Copied = 3 };

// The plain format (HT mode, or ZEM mode without FST = new) stores only the
// kind in the type byte; the advanced format adds the replica mode.
enum class FstFormat { Plain, Advanced };

constexpr FstFormat fst_format(TargetMode mode, bool advanced_fst) {
  return mode == TargetMode::ZEM && advanced_fst ? FstFormat::Advanced : FstFormat::Plain;
}
// How an image's FST is read: a ZEM image's in the advanced format, which
// reads every record of the plain one the same way.
constexpr FstFormat image_fst_format(TargetMode mode) { return fst_format(mode, true); }

struct FstRecord {
  FstKind kind = FstKind::File;
  ReplicaKind replica = ReplicaKind::Ordinary;
  uint32_t name_offset = 0;  // in the name table; 24 bits
  // File or twin: its stored position (divided by 4 in ZEM mode); directory:
  // its parent's index; copied file: the byte offset of its copy list from
  // the start of the name table.
  uint32_t word1 = 0;
  // File: its size; directory: the index past its subtree; twin: the bytes
  // reserved for it.
  uint32_t word2 = 0;

  bool is_directory() const { return kind == FstKind::Directory; }
  uint32_t parent() const { return word1; }
  uint32_t next() const { return word2; }
  uint32_t copy_list_offset() const { return word1; }
  bool operator==(const FstRecord &) const = default;
};

// Type byte: kind in bits 0..1, in the advanced format the replica mode in
// bits 2..3: a file 0x00, a directory 0x01, a mirrored file 0x04, its twin
// 0x06, a copied file 0x0C.
std::array<uint8_t, FST_RECORD_SIZE> encode_fst_record(const FstRecord &record, FstFormat format);
// The record in `bytes`; nothing when its type byte is none that `format`
// writes.
std::optional<FstRecord> decode_fst_record(std::span<const uint8_t, FST_RECORD_SIZE> bytes, FstFormat format);

// Name offsets are 24 bits: the name table holds at most 16 MiB.
inline constexpr uint32_t NAME_OFFSET_MASK = 0xFFFFFF;
inline constexpr uint64_t NAME_TABLE_LIMIT = uint64_t{NAME_OFFSET_MASK} + 1;
// Every entry but a mirror twin adds a name of at least one byte and its
// zero byte to the table, and a twin follows a named file: no FST that fits
// the name table holds more entries than this.
inline constexpr uint64_t MAX_FST_ENTRIES = 1 + NAME_TABLE_LIMIT;

// How deep the disc tree may nest: a folder at most 2048 levels below the
// root, a disc path (names joined by backslashes) at most 32767 bytes (the
// longest path a Windows host can name).
inline constexpr size_t MAX_FOLDER_DEPTH = 2048;
inline constexpr size_t MAX_DISC_PATH = 32767;

// The name table's size for `name_bytes` of names and their zero bytes: ZEM
// mode pads it to a multiple of 4.
constexpr uint64_t name_table_size(TargetMode mode, uint64_t name_bytes) {
  return mode == TargetMode::ZEM ? (name_bytes + 3) / 4 * 4 : name_bytes;
}

// A copy list holds each copy's position divided by 4 and ends with a zero
// word (copies exist only in the advanced format, so only in ZEM mode).
inline constexpr uint32_t COPY_LIST_END = 0;
constexpr uint32_t copy_list_word(uint64_t position) { return stored_offset(TargetMode::ZEM, position); }
constexpr uint64_t copy_position(uint32_t word) { return real_offset(TargetMode::ZEM, word); }
// The bytes of a copy list of `copies` positions.
constexpr uint64_t copy_list_size(uint64_t copies) { return (copies + 1) * 4; }

}  // namespace qorv
