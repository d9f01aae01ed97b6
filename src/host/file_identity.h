// Telling whether two host paths name the same file: by device and inode,
// so hard links and symbolic links to one file count as that file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qorv {

struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity &) const = default;
};

// The identity of the file `path` names (symbolic links followed); nothing
// when it does not exist or cannot be reached.
std::optional<FileIdentity> file_identity(const std::string &path);

}  // namespace qorv
