// Reading a disc's FST from an image or a system file. Nothing it holds is
// believed before it is checked against the format's limits and the table's
// bounds: the root entry is read first and only what its count needs
// follows, names and copy lists are read only where entries point, and paths
// must stay within the limits the layout tool keeps. A damaged or hostile
// image gives a message, never a crash, a hang or an allocation beyond what
// the file holds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "disc/fst_format.h"
#include "host/disc_file.h"
#include "image/image_run.h"
#include "image/shown_text.h"
#include "image/system_area_reader.h"

namespace qorv {

// One FST entry as read: 40 bytes, so that the largest FST takes well below
// a gigabyte.
struct FstEntry {
  FstKind kind = FstKind::File;
  ReplicaKind replica = ReplicaKind::Ordinary;
  uint16_t name_size = 0;    // at most MAX_DISC_PATH
  uint32_t name_at = 0;      // where its name starts in FstTable::names
  uint32_t parent = 0;       // the directory that holds it
  uint32_t next = 0;         // directory: the index after its subtree
  uint32_t size = 0;         // file: its size; twin: the size of its file
  uint32_t reserved = 0;     // twin: the bytes reserved for it
  uint32_t first_copy = 0;   // copied file: where its copies start in FstTable::copy_words
  uint32_t copy_count = 0;
  uint64_t offset = 0;       // file or twin: its byte position; copied file: its first copy's

  bool is_directory() const { return kind == FstKind::Directory; }
  bool is_twin() const { return kind == FstKind::MirrorTwin; }
  bool is_copied() const { return replica == ReplicaKind::Copied; }
};

struct FstTable {
  TargetMode mode = TargetMode::ZEM;
  std::string names;                 // the name table, as far as entries may point into it
  std::vector<FstEntry> entries;
  std::vector<uint32_t> copy_words;  // the copied files' copy lists, without their end words
  NameEncoding encoding = NameEncoding::Utf8;  // of the names, as they are shown

  std::string_view name(const FstEntry &entry) const { return std::string_view(names).substr(entry.name_at, entry.name_size); }
  uint64_t copy(const FstEntry &entry, uint32_t k) const { return copy_position(copy_words[entry.first_copy + k]); }
};

// Reads the FST that `area` points to. Every problem is reported with the FST
// index it was found at; false when there was any. Then decides how the
// names are shown (choose_name_encoding).
bool read_fst(ImageRun &run, DiscFileReader &file, const std::string &name, const SystemArea &area,
              FstTable &table);

// The encoding of the names: the one --code-page gives, or UTF-8 when every
// name is valid UTF-8, else code page 932 when every name decodes, else
// bytes. A warning names `name` when names do not decode.
NameEncoding choose_name_encoding(ImageRun &run, const std::string &name, const FstTable &table);

// Calls `visit` for every entry in FST order with its disc path: names joined
// by "/", a directory ending with "/", the root "/".
void for_each_fst_path(const FstTable &table,
                       const std::function<void(uint32_t index, const FstEntry &, const std::string &path)> &visit);

// The disc path of entry `index`, as for_each_fst_path gives it.
std::string fst_path(const FstTable &table, uint32_t index);

// "", "mirrored", "mirror twin" or "copied".
std::string_view replica_name(const FstEntry &entry);

}  // namespace qorv
