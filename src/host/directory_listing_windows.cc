#include "host/directory_listing.h"

#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

namespace {

// Opens `path` (following links) to read its attributes; nothing more.
HANDLE open_for_status(const std::wstring &path) {
  return ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

struct HandleCloser {
  HANDLE handle;
  ~HandleCloser() { ::CloseHandle(handle); }
};

HostPathInfo status_of(const std::wstring &path) {
  HostPathInfo info;
  HANDLE handle = open_for_status(path);
  if (handle == INVALID_HANDLE_VALUE) return info;
  HandleCloser closer{handle};
  BY_HANDLE_FILE_INFORMATION status;
  if (!::GetFileInformationByHandle(handle, &status)) return info;
  info.exists = true;
  info.is_directory = (status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!info.is_directory) info.size = (uint64_t{status.nFileSizeHigh} << 32) | status.nFileSizeLow;
  info.id = {status.dwVolumeSerialNumber, (uint64_t{status.nFileIndexHigh} << 32) | status.nFileIndexLow};
  return info;
}

}  // namespace

// A Windows directory handle: the directory opened for listing, with the
// path it was opened by (its subdirectories and links are opened by path)
// and its volume, which the file ids of its entries belong to.
struct HostDirectory::State {
  HANDLE handle;
  std::wstring path;
  DWORD volume;
};

void HostDirectory::Closer::operator()(State *state) const {
  ::CloseHandle(state->handle);
  delete state;
}

namespace {

OpenStatus open_wide_directory(std::wstring path, HostDirectory &dir) {
  dir.close();
  HANDLE handle = ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return OpenStatus::CannotOpen;
  BY_HANDLE_FILE_INFORMATION self;
  if (!::GetFileInformationByHandle(handle, &self) || !(self.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::CloseHandle(handle);
    return OpenStatus::CannotOpen;
  }
  dir = HostDirectory(new HostDirectory::State{handle, std::move(path), self.dwVolumeSerialNumber});
  return OpenStatus::Opened;
}

}  // namespace

OpenStatus open_directory(const std::string &path, HostDirectory &dir) {
  if (path.empty()) {
    dir.close();
    return OpenStatus::CannotOpen;
  }
  return open_wide_directory(wide_host_path(path), dir);
}

OpenStatus open_child_directory(const HostDirectory &parent, std::string_view name, HostDirectory &dir) {
  return open_wide_directory(lift_path_limit(parent.state()->path + L"\\" + wide_from_ansi(name)), dir);
}

HostNodeId directory_id(const HostDirectory &dir) {
  BY_HANDLE_FILE_INFORMATION status;
  if (!::GetFileInformationByHandle(dir.state()->handle, &status)) return {};
  return {status.dwVolumeSerialNumber, (uint64_t{status.nFileIndexHigh} << 32) | status.nFileIndexLow};
}

// The system's directory enumeration on the open handle gives each entry's
// long name, attributes, 64-bit size and file id at once. Only a link (a
// reparse point: junction or symbolic link) is opened on its own, to follow
// it to what it names: its kind, size and identity, or Missing when it leads
// nowhere.
ListStatus list_directory(const HostDirectory &dir, HostListing &listing) {
  listing.items.clear();
  listing.names.clear();
  const HostDirectory::State &self = *dir.state();

  std::vector<size_t> name_ends;
  auto finish = [&](ListStatus status) {
    size_t begin = 0;
    for (size_t i = 0; i < listing.items.size(); ++i) {
      listing.items[i].name = std::string_view(listing.names).substr(begin, name_ends[i] - begin);
      begin = name_ends[i];
    }
    return status;
  };

  std::vector<uint64_t> buffer(8192);  // 64 KiB, aligned for the records
  FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
  for (;;) {
    if (!::GetFileInformationByHandleEx(self.handle, request, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * sizeof(uint64_t))))
      return finish(::GetLastError() == ERROR_NO_MORE_FILES ? ListStatus::Listed : ListStatus::ReadFailed);
    request = FileIdBothDirectoryInfo;
    const auto *bytes = reinterpret_cast<const unsigned char *>(buffer.data());
    for (;;) {
      const auto *record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(bytes);
      const std::wstring_view wide_name(record->FileName, record->FileNameLength / sizeof(wchar_t));
      if (wide_name != L"." && wide_name != L"..") {
        HostItem &item = listing.items.emplace_back();
        std::optional<std::string> name = ansi_from_wide(wide_name);
        listing.names += name ? *name : ansi_shown(wide_name);
        name_ends.push_back(listing.names.size());
        const DWORD attributes = record->FileAttributes;
        if (!name) {
          item.kind = HostItemKind::Unnamable;
        } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
          HostPathInfo target = status_of(lift_path_limit(self.path + L"\\" + std::wstring(wide_name)));
          item.kind = !target.exists ? HostItemKind::Missing
                      : target.is_directory ? HostItemKind::Directory
                                            : HostItemKind::File;
          item.size = target.size;
          item.id = target.id;
        } else {
          item.kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? HostItemKind::Directory : HostItemKind::File;
          if (item.kind == HostItemKind::File) item.size = static_cast<uint64_t>(record->EndOfFile.QuadPart);
          item.id = {self.volume, static_cast<uint64_t>(record->FileId.QuadPart)};
        }
      }
      if (record->NextEntryOffset == 0) break;
      bytes += record->NextEntryOffset;
    }
  }
}

HostPathInfo look_up_path(const std::string &path) {
  if (path.empty()) return {};
  return status_of(wide_host_path(path));
}

}  // namespace qorv
