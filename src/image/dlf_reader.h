// Reading a DLF: the version line, the configuration line of v2.00, one item
// line per placed file ("0x<hex>,\"<host path>\"") and the closing line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/image_run.h"

namespace qorv {

struct DlfItem {
  uint64_t offset = 0;
  std::string host_path;  // as written in the DLF
  int32_t line = 0;
};

struct DlfLayout {
  bool zem = true;            // v2.00 (ZEM mode) or v1.00 (HT mode)
  std::string config_path;    // v2.00: the configuration file
  int32_t config_line = 0;
  std::vector<DlfItem> items;  // without gap markers; the system file first
  uint64_t closing_offset = 0;
  int32_t closing_line = 0;
};

// Reads and checks the form of `path`: every problem is reported with the
// DLF's name and line. False when there was any.
bool read_dlf(ImageRun &run, const std::string &path, DlfLayout &layout);

// The host path of `item` as the image tool opens it: relative paths are
// taken from `directory` (the folder QorvMakeDlf ran in) when it is given.
std::string item_host_path(const std::string &directory, const std::string &host_path);

}  // namespace qorv
