#include "host/directory_listing.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace qorv {

namespace {

HostNodeId node_id(const struct stat &st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// Closes the listing on every way out.
struct DirCloser {
  DIR *dir;
  ~DirCloser() { ::closedir(dir); }
};

}  // namespace

ListStatus list_directory(const std::string &dir, HostListing &listing) {
  listing.items.clear();
  listing.names.clear();
  DIR *handle = ::opendir(dir.c_str());
  if (!handle) return ListStatus::CannotOpen;
  DirCloser closer{handle};
  int dir_fd = ::dirfd(handle);

  // Names are appended to one buffer, which may move while it grows: the
  // items point into it once the listing is complete.
  std::vector<size_t> name_ends;
  auto finish = [&](ListStatus status) {
    size_t begin = 0;
    for (size_t i = 0; i < listing.items.size(); ++i) {
      listing.items[i].name = std::string_view(listing.names).substr(begin, name_ends[i] - begin);
      begin = name_ends[i];
    }
    return status;
  };
  for (;;) {
    errno = 0;
    const struct dirent *d = ::readdir(handle);
    if (!d) return finish(errno == 0 ? ListStatus::Listed : ListStatus::ReadFailed);
    const char *name = d->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;

    HostItem &item = listing.items.emplace_back();
    listing.names += name;
    name_ends.push_back(listing.names.size());
    struct stat st;
    if (::fstatat(dir_fd, name, &st, 0) != 0) {
      item.kind = HostItemKind::Missing;
    } else if (S_ISDIR(st.st_mode)) {
      item.kind = HostItemKind::Directory;
      item.id = node_id(st);
    } else {
      item.kind = HostItemKind::File;
      item.size = static_cast<uint64_t>(st.st_size);
      item.id = node_id(st);
    }
  }
}

HostPathInfo look_up_path(const std::string &path) {
  HostPathInfo info;
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return info;
  info.exists = true;
  info.is_directory = S_ISDIR(st.st_mode);
  info.size = info.is_directory ? 0 : static_cast<uint64_t>(st.st_size);
  info.id = node_id(st);
  return info;
}

}  // namespace qorv
