// `QorvImage build`: a disc image from a DLF. Every item's file goes to its
// offset; bytes no item covers are never written and read as zero.
#pragma once

#include <string>

#include "image/image_run.h"

namespace qorv {

// Returns the exit status (IMAGE_OK or IMAGE_FAILED).
int build_image(ImageRun &run);

// The image's default name: the DLF's with the extension ".img".
std::string default_image_path(const std::string &dlf);

}  // namespace qorv
