// A ZEM system file written byte by byte, for images made to hurt the image
// tool: the disc header (the ZEM magic word 5D1C9EA3 at 0x18; at 0x420 the
// boot block's seven words: boot file and FST at 0x440, the FST's size twice,
// load address 0, user area at 0x100000 and its length, offsets and sizes
// stored / 4), then the FST (its records made with record(), the names
// padded to 4 bytes, the copy-list words) and as much sparse space as asked.
// The type bytes: 0x01 a directory (parent, next index), 0x00 a file
// (position / 4, size), 0x04 mirrored, 0x06 its twin, 0x0C copied (its copy
// list's offset from the names, size).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/hex_bytes.h"
#include "support/test_support.h"

namespace qorv::test {

struct CraftedDisc {
  std::vector<std::string> records;  // record() each, the root first
  std::string names;
  std::vector<uint32_t> words;    // copy lists: positions / 4, each ended by 0
  uint32_t magic = 0x5D1C9EA3;
  uint64_t claimed_fst_size = 0;  // 0: what the parts take
  uint64_t file_size = 0;         // 0: where the FST ends
  uint64_t user_area_length = 0x100000;

  void write(const std::string &path) const {
    std::string fst;
    for (const std::string &r : records) fst += r;
    fst += names + std::string((4 - names.size() % 4) % 4, '\0');
    for (uint32_t w : words) fst += be32(w);
    const uint64_t fst_size = claimed_fst_size ? claimed_fst_size : fst.size();
    std::string header(0x420, '\0');
    header.replace(0x18, 4, be32(magic));
    for (uint64_t field : {uint64_t{0x440}, uint64_t{0x440}, fst_size, fst_size, uint64_t{0}, uint64_t{0x100000}, user_area_length})
      header += be32(static_cast<uint32_t>(field / 4));
    header.resize(0x440);
    write_file(path, header + fst);
    if (file_size > header.size() + fst.size()) std::filesystem::resize_file(path, file_size);
  }
};

}  // namespace qorv::test
