// The items of a DLF checked against the host before an image is built,
// verified or mapped: each names a readable regular file, none is a file the
// command writes or the DLF itself, each ends where an image file can reach,
// and no two overlap. Read as a stream: only what later passes need is kept
// for each item.
#pragma once

#include <string>
#include <vector>

#include "host/disc_file.h"
#include "host/file_identity.h"
#include "image/build_record.h"
#include "image/dlf_reader.h"
#include "image/image_run.h"
#include "image/output_file.h"

namespace qorv {

// A time of an identity that cannot be trusted (not taken, or taken too
// close to a change): such an identity matches no other.
inline constexpr int64_t UNTRUSTED_TIME = -1;

// What later passes need of an item: 56 bytes, so 200,000 items take 11 MB.
struct CheckedItem {
  uint64_t offset = 0;
  uint64_t size = 0;
  uint64_t device = 0;  // the file's identity as checked
  uint64_t inode = 0;
  int64_t modified_ns = UNTRUSTED_TIME;  // its times, when asked for (build)
  int64_t changed_ns = UNTRUSTED_TIME;
  int32_t line = 0;
  bool usable = false;  // a readable regular file whose range an image can hold
  uint64_t end() const { return offset + size; }
  bool same_file(const DiscFileStatus &s) const { return usable && s.device == device && s.inode == inode; }
  FileIdentity identity() const { return {device, inode, size, modified_ns, changed_ns}; }
};

struct CheckedDlf {
  DlfHeader header;
  std::vector<CheckedItem> items;  // the system file first
  std::vector<std::string> paths;  // as opened (relative to -C where given); only when asked
  uint64_t closing_offset = 0;
  int32_t closing_line = 0;
};

struct DlfCheck {
  bool keep_paths = false;  // fill CheckedDlf::paths
  // Open each item's file, proving that it can be read (build, verify);
  // otherwise only its status is looked up (map: one call per item).
  bool open_items = true;
  // Take each file's times too (with `open_items`): a build records them.
  bool identities = false;
  // What the image's build record says of the items, in DLF order (build):
  // an item at the recorded offset whose file still has the recorded
  // identity is looked up by one status call instead of being opened. The
  // identity's change time covers its permissions, and its bytes are in the
  // image already.
  const std::vector<RecordItem> *recorded = nullptr;
};

// Reads the DLF `dlf` and checks every item, reporting each problem with its
// DLF line: a file that is missing, a directory, not a regular file or
// unreadable; an item that would end past what an image file can hold, runs
// into the next one or past the closing offset. Each of `outputs` is
// compared with every file the DLF names: the DLF itself, the configuration
// file of v2.00 and each item (the system file among them). False when there
// was any problem.
bool check_dlf(ImageRun &run, const std::string &dlf, const std::vector<OutputFile> &outputs, DlfCheck how,
               CheckedDlf &checked);

}  // namespace qorv
