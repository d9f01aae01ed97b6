#include "core/diagnostics.h"

#include <ostream>
#include <string>

#include "core/run_state.h"
#include "host/multibyte_text.h"

namespace qorv {

namespace {
void print_report(RunState &run, std::string_view kind, std::string_view location, int32_t line,
                  std::string_view text) {
  std::string out(kind);
  if (!location.empty()) {
    out += ':';
    out += location;
    out += ", ";
    out += std::to_string(line);
    out += ": ";
  } else {
    out += ": ";
  }
  out += text;
  out += '\n';
  print_diagnostic(run, out);
}
}  // namespace

std::string format_message(const RunState &run, MessageId id, MessageArgs args) {
  return format_text(host_message_text(catalog_text(id, run.language)), args);
}

void report_error(RunState &run, std::string_view location, int32_t line, MessageId id,
                  MessageArgs args) {
  report_error_text(run, location, line, format_message(run, id, args));
}

void report_warning(RunState &run, std::string_view location, int32_t line, MessageId id,
                    MessageArgs args) {
  report_warning_text(run, location, line, format_message(run, id, args));
}

void report_error_text(RunState &run, std::string_view location, int32_t line,
                       std::string_view text) {
  print_report(run, "Error", location, line, text);
  ++run.error_count;
}

void report_warning_text(RunState &run, std::string_view location, int32_t line,
                         std::string_view text) {
  print_report(run, "Warning", location, line, text);
}

void report_out_of_memory(RunState &run) {
  print_diagnostic(run, "Error: Out of memory.\n");
  ++run.error_count;
}

void print_info(RunState &run, std::string_view text) {
  std::string out(text);
  out += '\n';
  print_diagnostic(run, out);
}

void print_diagnostic(RunState &run, std::string_view text) {
  run.diag_stream->write(text.data(), static_cast<std::streamsize>(text.size()));
  run.diag_stream->flush();
}

void print_output(RunState &run, std::string_view text) {
  run.out_stream->write(text.data(), static_cast<std::streamsize>(text.size()));
  run.out_stream->flush();
}

}  // namespace qorv
