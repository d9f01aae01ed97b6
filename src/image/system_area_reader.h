// The start of a disc image (or a system file alone): the mode from the
// header's magic words and, from the boot block, where the boot file, the
// FST and the user area lie.
#pragma once

#include <cstdint>
#include <string>

#include "disc/system_area_format.h"
#include "host/disc_file.h"
#include "image/image_run.h"

namespace qorv {

struct SystemArea {
  TargetMode mode = TargetMode::ZEM;
  uint64_t file_size = 0;  // of the image or system file read
  uint64_t loader_size = 0;  // HT: from the loader block; ZEM: up to the boot file
  uint64_t boot_position = 0;
  uint64_t fst_position = 0;
  uint64_t fst_size = 0;
  uint64_t user_area_start = 0;
  uint64_t user_area_length = 0;
};

// Reads the header of the open `file` (named `name` in messages). False,
// with a message, when it is too short, has no magic word of either mode, or
// its boot block puts the FST outside the file.
bool read_system_area(ImageRun &run, DiscFileReader &file, const std::string &name, SystemArea &area);

}  // namespace qorv
