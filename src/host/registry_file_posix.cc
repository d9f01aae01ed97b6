#include "host/registry_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/environment.h"
#include "host/file_descriptor.h"

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

RegistryExportBytes read_registry_export(size_t limit, const std::function<bool(std::string_view)> &wanted) {
  RegistryExportBytes result;
  const std::string &path = result.path = registry_export_path();
  if (path.empty()) return result;
  // Without O_NONBLOCK a FIFO that no one writes would keep the open waiting
  // for ever; opened so, it reads as empty. A pipe that a process writes
  // (QORV_REGISTRY_FILE=<(generator)) is read as it comes.
  struct stat st;
  int fd = open_file_descriptor(path, O_RDONLY | O_NONBLOCK, st);
  if (fd < 0) return result;
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return result;
  }
  result.opened = true;
  char chunk[64 * 1024];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) break;
    // An unreadable file holds no values; nor does one over the limit.
    const bool over = n > 0 && static_cast<size_t>(n) > limit - result.bytes.size();
    if (n < 0 || over) {
      result.over_limit = over;
      std::string().swap(result.bytes);
      break;
    }
    result.bytes.append(chunk, static_cast<size_t>(n));
    if (!wanted(result.bytes)) break;
  }
  ::close(fd);
  return result;
}

std::optional<std::vector<HostRegistryValue>> read_registry_key() { return std::nullopt; }

}  // namespace qorv
