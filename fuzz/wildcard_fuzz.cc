// Differential target: the compiled matcher against a direct transcription
// of the recursive definition, on short inputs. Any difference aborts.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/wildcard.h"
#include "support/wildcard_reference.h"

// Input: the path, a zero byte, the pattern (each cut short so that the
// exponential reference stays fast).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string input(reinterpret_cast<const char *>(data), size);
  size_t split = input.find('\0');
  if (split == std::string::npos) return 0;
  std::string path = input.substr(0, split).substr(0, 12);
  std::string pattern = input.substr(split + 1).substr(0, 12);
  if (path.find('\0') != std::string::npos || pattern.find('\0') != std::string::npos) return 0;
  if (qorv::wildcard_match(path, pattern) != qorv::test::reference_match(path.c_str(), pattern.c_str())) std::abort();
  return 0;
}
