// Where a host path leads, for telling before anything is written whether
// two paths name one file, also when that file does not exist yet.
#pragma once

#include <cstdint>
#include <string>

#include "host/directory_listing.h"

namespace qorv {

enum class HostNodeKind {
  Missing,
  File,             // a regular file
  CharacterDevice,  // /dev/null, /dev/full and the like; NUL, CON on Windows
  Directory,
  Other,            // a FIFO, a socket, a block device; a pipe on Windows
};

struct PathTarget {
  HostNodeKind kind = HostNodeKind::Missing;  // what the path leads to, links followed
  HostNodeId id;                              // unless Missing
  uint64_t size = 0;                          // unless Missing
  // The folder that holds the file, or would hold it once created, and the
  // file's name there: links are followed to the path they name, also when
  // nothing is there yet. `folder_found` is false when the folder cannot be
  // looked up or the path ends in no plain name ("", ".", "..").
  // Windows: the folder of the system's full path of `path` and the name in
  // one letter case, as its file names ignore case (a link that leads
  // nowhere is taken as a file of its own).
  bool folder_found = false;
  HostNodeId folder;
  std::string name;
  // The path that creating or replacing the file acts on: `path` with its
  // links followed as above (Windows: `path` itself). Renaming a new file
  // over it replaces the file and keeps the links that lead to it. Empty
  // when the links loop.
  std::string end_path;
};

PathTarget find_path_target(const std::string &path);

// True when the targets are one file: the same existing file, or the same
// name in the same folder.
bool same_target(const PathTarget &a, const PathTarget &b);

}  // namespace qorv
