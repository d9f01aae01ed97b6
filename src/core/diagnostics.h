// All output of both programs: numbered errors and warnings, free-text errors
// and warnings, informational lines and the standard output. Each program's
// run object is a `Diagnostics`; errors are counted in `error_count`.
#pragma once

#include <cstdint>
#include <iostream>
#include <ostream>
#include <string_view>

#include "core/message_catalog.h"
#include "core/text_format.h"

namespace qorv {

struct Diagnostics {
  std::ostream *diag_stream = &std::cerr;  // errors, warnings, information, progress
  std::ostream *out_stream = &std::cout;   // standard output: listings, maps
  Language language = Language::English;   // of messages, usage texts and summary lines
  int32_t error_count = 0;
  // Errors past this many are counted but not printed; 0: no limit.
  int32_t error_limit = 0;
  int output_error = 0;  // errno of the first failed write to `out_stream`; nothing is written after it
};

// The catalog text of `id` in the run's language, placeholders filled.
std::string format_message(const Diagnostics &run, MessageId id, MessageArgs args = {});

// With a location: "Error:%s, %d: %s\n"; without one: "Error: %s\n".
// Errors increase `error_count` and are printed while it stays within
// `error_limit`; warnings are not counted.
void report_error(Diagnostics &run, std::string_view location, int32_t line, MessageId id,
                  MessageArgs args = {});
void report_error(Diagnostics &run, MessageId id, MessageArgs args = {});
void report_warning(Diagnostics &run, std::string_view location, int32_t line, MessageId id,
                    MessageArgs args = {});
void report_warning(Diagnostics &run, MessageId id, MessageArgs args = {});
void report_error_text(Diagnostics &run, std::string_view location, int32_t line,
                       std::string_view text);
void report_error_text(Diagnostics &run, std::string_view text);
void report_warning_text(Diagnostics &run, std::string_view location, int32_t line,
                         std::string_view text);
void report_warning_text(Diagnostics &run, std::string_view text);

// "Error: " and `text`, counted, printed without building any text: what is
// left to say once memory ran out.
void report_out_of_memory(Diagnostics &run, std::string_view text = "Out of memory.");

// An informational line: `text` followed by a line end.
void print_info(Diagnostics &run, std::string_view text);

// Raw text on the diagnostic stream (usage text, version banner, progress).
void print_diagnostic(Diagnostics &run, std::string_view text);

// Raw text on the standard output stream. After a failed write nothing more
// is written, and `output_error` tells why.
void print_output(Diagnostics &run, std::string_view text);
// Notes a failure of the output stream from writes made around
// print_output (a help text written by a library).
void check_output_stream(Diagnostics &run);

}  // namespace qorv
