// QorvImage's messages from its own catalog, printed through the shared
// diagnostics: "Error: text" or, for a line of a file, "Error:FILE, LINE: text".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "image/image_catalog.h"
#include "image/image_run.h"

namespace qorv {

// The catalog text of `id` in the run's language and the host's encoding,
// its placeholders filled.
std::string image_text(const Diagnostics &run, ImageMessage id, ImageArgs args = {});

// Counted errors (see report_error_text); the one that reaches the run's
// error limit says that the rest are not shown.
void image_error(ImageRun &run, ImageMessage id, ImageArgs args = {});
void image_error_at(ImageRun &run, std::string_view file, int32_t line, ImageMessage id, ImageArgs args = {});
// "Warning: text", not counted.
void image_warning(ImageRun &run, ImageMessage id, ImageArgs args = {});
// A line of information on the diagnostic stream.
void image_note(ImageRun &run, ImageMessage id, ImageArgs args = {});

// Why a file could not be opened for reading: the errno text, or "not a
// regular file" for a device, FIFO or socket (which are refused).
std::string open_problem(const ImageRun &run, int error);

// "0x" and `value` in lower-case hexadecimal, zero-padded to `width` digits.
std::string hex_offset(uint64_t value, int width = 0);
// "1,234,567".
std::string grouped(uint64_t value);
// "512 B", "3.1 KiB", "2.0 GiB".
std::string binary_size(double bytes);

}  // namespace qorv
