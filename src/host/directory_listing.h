// Walking host directories from open handles: a directory is opened once,
// listed, and its subdirectories are opened from it by name, so no call
// needs a whole path and a tree may nest deeper than the host's path length
// limit. Also looking up one host path. Kinds and sizes come from each
// entry's status with links (symbolic links, and junctions on Windows)
// followed.
#pragma once

#include <cstdint>
#include <memory>
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
  Special,    // neither a regular file nor a directory: a FIFO, a socket, a device
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

// An open host directory, closed when it goes away. What it holds is the
// host backend's own (a descriptor on POSIX).
class HostDirectory {
public:
  struct State;
  HostDirectory();
  explicit HostDirectory(State *state);
  HostDirectory(HostDirectory &&) noexcept;
  HostDirectory &operator=(HostDirectory &&) noexcept;
  ~HostDirectory();

  bool is_open() const { return state_ != nullptr; }
  State *state() const { return state_.get(); }
  void close() { state_.reset(); }

private:
  struct Closer {
    void operator()(State *state) const;
  };
  std::unique_ptr<State, Closer> state_;
};

enum class OpenStatus {
  Opened,
  CannotOpen,   // missing, not a directory, or no access
  TooManyOpen,  // the process may hold no more open files: close one and retry
};

// Opens the directory at `path`, following links.
OpenStatus open_directory(const std::string &path, HostDirectory &dir);

// Opens the directory `name` inside `parent`, following links.
OpenStatus open_child_directory(const HostDirectory &parent, std::string_view name, HostDirectory &dir);

// The identity of an open directory.
HostNodeId directory_id(const HostDirectory &dir);

enum class ListStatus {
  Listed,
  TooManyOpen,  // as for OpenStatus: close another directory and retry
  ReadFailed,   // the listing broke off; the items read so far are kept
};

// Fills `listing` with the entries of `dir` (without "." and ".."), in the
// host's order: one listing and one status call per entry. A handle is
// listed once.
ListStatus list_directory(const HostDirectory &dir, HostListing &listing);

struct HostPathInfo {
  bool exists = false;
  bool is_directory = false;
  // A FIFO or a socket: opening one may wait for a writer for ever, and what
  // it gives has no size.
  bool is_stream = false;
  uint64_t size = 0;
  HostNodeId id;
};

// The status of `path`, following links; `exists` is false when it cannot be read.
HostPathInfo look_up_path(const std::string &path);

}  // namespace qorv
