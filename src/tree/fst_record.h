// The FST's 12-byte entry record.
#pragma once

#include <array>
#include <cstdint>

#include "core/file_entry.h"

namespace qorv {

inline constexpr uint64_t FST_RECORD_SIZE = 12;

// `entry`'s record as the disc stores it (three big-endian words). It is
// built on the way out rather than kept in every entry.
//   word 0: type byte << 24 | name offset (24 bits)
//   word 1: file or twin: disc position (divided by 4 in ZEM mode);
//           directory: parent index; copied file: offset of its copy list
//   word 2: file: size; directory: index past its subtree; twin: reserved size
std::array<uint8_t, FST_RECORD_SIZE> encode_fst_record(const FileEntry &entry, bool ht_mode, bool advanced_fst);

}  // namespace qorv
