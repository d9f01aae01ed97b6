// Listing one host directory, and looking up one host path. Kinds and sizes
// come from each entry's status with links (symbolic links, and junctions on
// Windows) followed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

// Identity of a file or directory on the host (device and inode; Windows:
// volume serial number and file id), to tell
// when a directory link leads back to a directory already being walked.
struct HostNodeId {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const HostNodeId &) const = default;
};

enum class HostItemKind {
  File,
  Directory,
  Missing,  // its status cannot be read: a dangling link, a loop of links
  Unnamable,  // Windows: its name has a character the ANSI code page lacks
};

struct HostItem {
  std::string_view name;  // as the host spells it, in its listing's `names`
                          // (Unnamable: with "?" for what the code page lacks)
  HostItemKind kind = HostItemKind::File;
  uint64_t size = 0;  // files only
  HostNodeId id;
};

// One directory's entries; their names share one buffer.
struct HostListing {
  std::vector<HostItem> items;
  std::string names;
};

enum class ListStatus {
  Listed,
  CannotOpen,  // missing, not a directory, or no access
  ReadFailed,  // the listing broke off; the items read so far are kept
};

// Fills `listing` with the entries of `dir` (without "." and ".."), in the
// host's order: one listing and one status call per entry.
ListStatus list_directory(const std::string &dir, HostListing &listing);

struct HostPathInfo {
  bool exists = false;
  bool is_directory = false;
  uint64_t size = 0;
  HostNodeId id;
};

// The status of `path`, following links; `exists` is false when it cannot be read.
HostPathInfo look_up_path(const std::string &path);

}  // namespace qorv
