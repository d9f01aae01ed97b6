// `QorvImage verify`: an image compared with its DLF, byte for byte for every
// item, and the image's own FST against the DLF's items.
#pragma once

#include "image/image_run.h"

namespace qorv {

// Returns IMAGE_OK when there is no difference, IMAGE_FAILED otherwise.
int verify_image(ImageRun &run);

}  // namespace qorv
