// One file or directory of the disc tree (also a mirror twin, a copy record
// or a gap marker of the layout queue).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "disc/fst_format.h"
#include "host/host_path.h"

namespace qorv {

struct FileEntry {
  FstKind kind = FstKind::File;
  ReplicaKind replica_mode = ReplicaKind::Ordinary;  // a twin is mirrored, a copy record copied
  uint32_t name_offset = 0;    // offset of `name` in the FST name table
  uint32_t name_start = 0;     // where `name` begins in `disc_path`
  uint64_t position = 0;       // disc offset; directory: parent's FST index
  uint64_t extent = 0;         // bytes reserved; directory: FST index past its subtree
  uint64_t file_size = 0;
  uint64_t alignment = 0;      // 0: none
  int64_t layout_key = 0;
  uint64_t placement_end = 0;
  // Where the entry is on the host. A scanned entry keeps only the host
  // path of its directory, shared by its siblings (`host_dir`, kept by the
  // run), and its name; roots, grafts and entries made by hand keep theirs
  // whole (`own_host_path`). A scanned entry whose name is converted for the
  // disc (another code page than the host's) keeps the host's spelling of
  // its name in `own_host_path`.
  const std::string *host_dir = nullptr;
  std::string own_host_path;
  std::string disc_path;
  std::vector<FileEntry> children;  // directory contents, a twin, or copy records

  bool is_directory() const { return kind == FstKind::Directory; }
  // A directory keeps its parent's FST index in `position` and the index
  // past its subtree in `extent`.
  uint64_t parent_index() const { return position; }
  uint64_t next_index() const { return extent; }
  void set_fst_indices(uint64_t parent, uint64_t next) { position = parent, extent = next; }
  // A copied file keeps its copy list's offset from the start of the name
  // table in `position`, as the position whose stored word is that offset.
  void set_copy_list_offset(uint64_t offset) { position = offset * offset_unit(TargetMode::ZEM); }

  std::string host_path() const {
    std::string path;
    append_host_path(path);
    return path;
  }
  void append_host_path(std::string &out) const {
    if (!host_dir) {
      out += own_host_path;
      return;
    }
    const std::string_view own_name = host_name();
    out.reserve(out.size() + host_dir->size() + 1 + own_name.size());
    out.append(*host_dir).append(1, HOST_PATH_SEPARATOR).append(own_name);
  }
  // A scanned entry's name as the host spells it.
  std::string_view host_name() const { return own_host_path.empty() ? name() : std::string_view(own_host_path); }
  void set_host_path(std::string path) {
    own_host_path = std::move(path);
    host_dir = nullptr;
  }

  // The entry's own name: the last component of `disc_path`. It is kept as a
  // place in `disc_path` rather than a string of its own, since a disc of
  // hundreds of thousands of files holds every entry in memory at once.
  std::string_view name() const { return std::string_view(disc_path).substr(name_start); }
  // Sets `disc_path`; the name is the text from `name_begin` on.
  void set_disc_path(std::string path, size_t name_begin) {
    disc_path = std::move(path);
    name_start = static_cast<uint32_t>(name_begin);
  }
};

}  // namespace qorv
