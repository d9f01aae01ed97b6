// An existing regular file written where it stands: an image updated in
// place. Descriptors are C runtime descriptors on Windows too. Each call
// returns 0 or errno's value.
#pragma once

#include <cstdint>
#include <string>

namespace qorv {

// Opens the regular file `path` for reading and writing, never creating or
// truncating it; ENODEV for anything but a regular file.
int open_for_update(const std::string &path, int &fd);
// Cuts the file or extends it with a hole.
int set_file_length(int fd, uint64_t length);
// Waits until the file's data and size are on the storage.
int sync_file(int fd);
// Closes it; its error, if any, is returned.
int close_file(int fd);
// Removes the file `path` (never a folder).
int remove_file(const std::string &path);

}  // namespace qorv
