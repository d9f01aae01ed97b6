// Reading a disc's FST from an image or a system file, checking every field
// it follows against the table's bounds, so that a damaged or hostile image
// gives a message and never a crash, a hang or an allocation beyond the
// file's size.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/disc_file.h"
#include "image/image_run.h"
#include "image/system_area_reader.h"

namespace qorv {

enum class ReplicaKind { None, Mirrored, MirrorTwin, Copied };

struct FstEntry {
  bool directory = false;
  ReplicaKind replica = ReplicaKind::None;
  std::string_view name;  // into FstTable::bytes; empty for the root
  uint32_t parent = 0;    // the directory that holds it
  uint32_t next = 0;      // directory: the index after its subtree
  uint64_t offset = 0;    // file or twin: its byte position on the disc
  uint64_t size = 0;      // file: its size; twin: the size of its file
  uint64_t reserved = 0;  // twin: the bytes reserved for it
  std::vector<uint64_t> copies;  // copied file: the positions of its copies, its own first
};

struct FstTable {
  bool zem = true;
  std::vector<uint8_t> bytes;  // the whole FST
  std::vector<FstEntry> entries;
};

// Reads the FST that `area` points to. Every problem is reported with the FST
// index it was found at; false when there was any.
bool read_fst(ImageRun &run, DiscFileReader &file, const std::string &name, const SystemArea &area,
              FstTable &table);

// Calls `visit` for every entry in FST order with its disc path: names joined
// by "/", a directory ending with "/", the root "/".
void for_each_fst_path(const FstTable &table,
                       const std::function<void(uint32_t index, const FstEntry &, const std::string &path)> &visit);

// "file", "directory", "mirror twin" ...
std::string_view replica_name(ReplicaKind kind);

}  // namespace qorv
