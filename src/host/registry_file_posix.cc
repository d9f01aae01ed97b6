#include "host/registry_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/environment.h"

namespace qorv {

namespace {
std::string non_empty_environment(const char *name) {
  std::optional<std::string> value = get_environment(name);
  return value ? *value : std::string();
}
}  // namespace

std::string registry_export_path() {
  std::string file = non_empty_environment("QORV_REGISTRY_FILE");
  if (!file.empty()) return file;
  std::string config = non_empty_environment("XDG_CONFIG_HOME");
  if (config.empty()) {
    std::string home = non_empty_environment("HOME");
    if (home.empty()) return {};
    config = home + "/.config";
  }
  return config + "/Kelvane/QORV.reg";
}

std::optional<std::string> read_registry_export() {
  std::string path = registry_export_path();
  if (path.empty()) return std::nullopt;
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string bytes;
  char chunk[16 * 1024];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

std::optional<std::vector<HostRegistryValue>> read_registry_key() { return std::nullopt; }

}  // namespace qorv
