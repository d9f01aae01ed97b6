#include "host/file_identity.h"

#include <sys/stat.h>

namespace qorv {

std::optional<FileIdentity> file_identity(const std::string &path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

}  // namespace qorv
