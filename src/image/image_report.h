// QorvImage's messages, in the form the tool family uses: "Error: text" or,
// for a line of a file, "Error:FILE, LINE: text". Errors are counted. Texts
// come from the catalog in the run's language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "image/image_catalog.h"
#include "image/image_run.h"

namespace qorv {

// A run reports at most this many errors; then one line says it stopped
// (a binary file given as a DLF would otherwise print one per line).
inline constexpr int32_t IMAGE_ERROR_LIMIT = 100;

// The catalog text of `id` in the run's language and the host's encoding,
// its placeholders filled.
std::string image_text(const ImageRun &run, ImageMessage id, ImageArgs args = {});

void image_error(ImageRun &run, ImageMessage id, ImageArgs args = {});
void image_error_at(ImageRun &run, std::string_view file, int32_t line, ImageMessage id, ImageArgs args = {});
// "Warning: text", not counted.
void image_warning(ImageRun &run, ImageMessage id, ImageArgs args = {});
// A line of information on the diagnostic stream.
void image_note(ImageRun &run, ImageMessage id, ImageArgs args = {});
// An error whose text is made elsewhere (the command-line parser's).
void image_error_text(ImageRun &run, std::string_view text);
// Raw text on the diagnostic stream (the progress line).
void image_diag_raw(ImageRun &run, std::string_view text);
// Text on the output stream. After a failed write nothing more is written,
// and `run.output_error` tells why.
void image_output(ImageRun &run, std::string_view text);
// Notes a failure of the output stream from writes made around
// image_output (the help text).
void check_output_stream(ImageRun &run);

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
