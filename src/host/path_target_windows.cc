#include "host/path_target.h"

#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

namespace {

// `path` opened to read its attributes only, links followed; a folder too.
HANDLE open_for_status(const std::wstring &path) {
  return ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

HostNodeId node_of(const BY_HANDLE_FILE_INFORMATION &info) {
  return {info.dwVolumeSerialNumber, (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// What `path` leads to. Only a file or folder on a disk has an identity; a
// device or a pipe is told by the kind of its handle.
void look_at(const std::wstring &path, PathTarget &target) {
  HANDLE handle = open_for_status(path);
  if (handle == INVALID_HANDLE_VALUE) return;
  const DWORD type = ::GetFileType(handle);
  BY_HANDLE_FILE_INFORMATION info;
  if (type == FILE_TYPE_CHAR) {
    target.kind = HostNodeKind::CharacterDevice;
  } else if (type != FILE_TYPE_DISK) {
    target.kind = HostNodeKind::Other;
  } else if (::GetFileInformationByHandle(handle, &info)) {
    target.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? HostNodeKind::Directory : HostNodeKind::File;
    target.id = node_of(info);
    target.size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  }
  ::CloseHandle(handle);
}

}  // namespace

PathTarget find_path_target(const std::string &path) {
  PathTarget target;
  if (path.empty()) return target;
  target.end_path = path;
  look_at(wide_host_path(path), target);

  // Where a file would be created: the full path's folder, which is looked
  // up by identity (two spellings of one folder, a junction to it), and the
  // name in it. The full path has "." and ".." resolved and a name's
  // trailing dots and blanks dropped, as the system does when it creates it.
  const std::wstring full = full_wide_path(wide_from_ansi(path));
  const size_t cut = full.find_last_of(L"\\/");
  if (cut == std::wstring::npos || cut + 1 == full.size()) return target;
  target.name = comparable_text(full.substr(cut + 1));
  PathTarget folder;
  look_at(lift_path_limit(full.substr(0, cut + 1)), folder);
  if (folder.kind == HostNodeKind::Directory) {
    target.folder_found = true;
    target.folder = folder.id;
  }
  return target;
}

bool same_target(const PathTarget &a, const PathTarget &b) {
  const auto has_id = [](const PathTarget &t) { return t.kind == HostNodeKind::File || t.kind == HostNodeKind::Directory; };
  if (has_id(a) && has_id(b) && a.id == b.id) return true;
  return a.folder_found && b.folder_found && a.folder == b.folder && a.name == b.name;
}

}  // namespace qorv
