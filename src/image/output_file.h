// The files a QorvImage command writes (the image, the SVG map): where each
// may go, and how it is written so that no failure loses data. Before
// anything is written, check_output_place says why a place cannot take the
// file, and check_dlf compares it with every file the DLF names.
#pragma once

#include <string>
#include <string_view>

#include "host/path_target.h"
#include "image/image_catalog.h"
#include "image/image_run.h"

namespace qorv {

// Whether a terminal, /dev/null or a pipe may take the file: it is written to directly.
enum class DeviceUse { Refused, Allowed };

struct OutputFile {
  std::string path;   // as given
  ImageMessage what;  // in messages: "the image", "the map"
  DeviceUse devices = DeviceUse::Refused;
  PathTarget target;  // where the path leads
};

OutputFile output_file(const std::string &path, ImageMessage what, DeviceUse devices = DeviceUse::Refused);

// Reports each reason `out` cannot be written where its path leads: a loop
// of links, a missing folder, a folder, anything but a regular file (or a
// character device or pipe where allowed).
void check_output_place(ImageRun &run, const OutputFile &out);

// Writes `bytes` as the whole of `out`: a regular file is replaced only
// once the new one is complete; a device or pipe is written to. False
// (reported) on failure.
bool write_output(ImageRun &run, const OutputFile &out, std::string_view bytes);

}  // namespace qorv
