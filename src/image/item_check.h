// The items of a DLF checked against the host before an image is built,
// verified or mapped: each names a readable regular file, none is a file the
// command must not read as an item, and no two overlap. Read as a stream:
// only what later passes need is kept for each item.
#pragma once

#include <string>
#include <vector>

#include "host/disc_file.h"
#include "image/dlf_reader.h"
#include "image/image_run.h"

namespace qorv {

// What later passes need of an item: 40 bytes, so 200,000 items take 8 MB.
struct CheckedItem {
  uint64_t offset = 0;
  uint64_t size = 0;
  uint64_t device = 0;  // the file's identity as checked
  uint64_t inode = 0;
  int32_t line = 0;
  bool usable = false;  // a readable regular file
  uint64_t end() const { return offset + size; }
  bool same_file(const DiscFileStatus &s) const { return usable && s.device == device && s.inode == inode; }
};

// A file that no item may be, and what it is ("the DLF itself").
struct ForbiddenFile {
  DiscFileStatus status;
  std::string what;
};

struct CheckedDlf {
  DlfHeader header;
  std::vector<CheckedItem> items;  // the system file first
  std::vector<std::string> paths;  // as opened (relative to -C where given); only when asked
  uint64_t closing_offset = 0;
  int32_t closing_line = 0;
};

// Reads the DLF `dlf` and checks every item, reporting each problem with its
// DLF line: a file that is missing, a directory, not a regular file,
// unreadable or forbidden; an item that runs into the next one or past the
// closing offset. False when there was any.
bool check_dlf(ImageRun &run, const std::string &dlf, const std::vector<ForbiddenFile> &forbidden,
               bool keep_paths, CheckedDlf &checked);

}  // namespace qorv
