// A disc tree entry as the FST's 12-byte record.
#pragma once

#include <array>
#include <cstdint>

#include "core/file_entry.h"
#include "disc/fst_format.h"

namespace qorv {

// `entry`'s record as the disc stores it. It is built on the way out rather
// than kept in every entry: a file or twin stores its position (divided by 4
// in ZEM mode) and a file its size, a twin its reserved size; a directory
// its parent and next index; a copied file the offset of its copy list.
std::array<uint8_t, FST_RECORD_SIZE> encode_fst_record(const FileEntry &entry, TargetMode mode, FstFormat format);

}  // namespace qorv
