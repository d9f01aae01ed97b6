// All output of the tool: numbered errors and warnings, free-text errors and
// warnings, and informational lines. Errors are counted in
// `RunState::error_count`.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/message_catalog.h"
#include "core/text_format.h"

namespace qorv {

struct RunState;

// The catalog text of `id` in the run's language, placeholders filled.
std::string format_message(const RunState &run, MessageId id, MessageArgs args = {});

// With a non-empty `location`: "Error:%s, %d: %s\n"; otherwise "Error: %s\n".
// Errors increase `error_count` after printing; warnings do not.
void report_error(RunState &run, std::string_view location, int32_t line, MessageId id,
                  MessageArgs args = {});
void report_warning(RunState &run, std::string_view location, int32_t line, MessageId id,
                    MessageArgs args = {});
void report_error_text(RunState &run, std::string_view location, int32_t line,
                       std::string_view text);
void report_warning_text(RunState &run, std::string_view location, int32_t line,
                         std::string_view text);

// "Error: Out of memory.", counted, printed without building any text.
void report_out_of_memory(RunState &run);

// An informational line: `text` followed by a line end.
void print_info(RunState &run, std::string_view text);

// Raw text on the diagnostic stream (usage text, version banner).
void print_diagnostic(RunState &run, std::string_view text);

// Raw text on the standard output stream.
void print_output(RunState &run, std::string_view text);

}  // namespace qorv
