#include "host/path_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace qorv {

namespace {

// As many links as the host itself follows in one path.
constexpr int MAX_LINKS = 40;

HostNodeId node_of(const struct stat &st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

HostNodeKind kind_of(const struct stat &st) {
  if (S_ISREG(st.st_mode)) return HostNodeKind::File;
  if (S_ISCHR(st.st_mode)) return HostNodeKind::CharacterDevice;
  if (S_ISDIR(st.st_mode)) return HostNodeKind::Directory;
  return HostNodeKind::Other;
}

// The text a symbolic link holds, or nothing when `path` is no link.
bool read_link(const std::string &path, std::string &target) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
  std::vector<char> buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
  for (;;) {
    ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) < buffer.size()) {
      target.assign(buffer.data(), static_cast<size_t>(n));
      return true;
    }
    buffer.resize(buffer.size() * 2);  // the link grew since its status was read
  }
}

// The folder part of `path` ("." when it has none, "/" for the root's entries).
std::string folder_of(const std::string &path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

PathTarget find_path_target(const std::string &path) {
  PathTarget target;
  if (path.empty()) return target;

  // What is there, as the host resolves the path (also the kernel's own
  // links, such as those of /proc/self/fd, whose text names no path).
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    target.kind = kind_of(st);
    target.id = node_of(st);
    target.size = static_cast<uint64_t>(st.st_size);
  }

  // Where a file would be created: a link is followed to the path it names,
  // relative to the link's folder, whether or not anything is there.
  std::string at = path;
  std::string link;
  int hops = 0;
  for (; hops < MAX_LINKS && read_link(at, link); ++hops)
    at = link.starts_with('/') ? link : folder_of(at) + "/" + link;
  if (hops == MAX_LINKS && read_link(at, link)) return target;  // a loop of links leads nowhere
  target.end_path = at;
  size_t slash = at.rfind('/');
  target.name = slash == std::string::npos ? at : at.substr(slash + 1);
  if (target.name.empty() || target.name == "." || target.name == "..") return target;
  if (::stat(folder_of(at).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    target.folder_found = true;
    target.folder = node_of(st);
  }
  return target;
}

bool same_target(const PathTarget &a, const PathTarget &b) {
  if (a.kind != HostNodeKind::Missing && b.kind != HostNodeKind::Missing && a.id == b.id) return true;
  return a.folder_found && b.folder_found && a.folder == b.folder && a.name == b.name;
}

}  // namespace qorv
