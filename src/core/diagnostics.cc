#include "core/diagnostics.h"

#include <cerrno>
#include <string>

#include "host/multibyte_text.h"

namespace qorv {

namespace {
void put(std::ostream *stream, std::string_view text) {
  stream->write(text.data(), static_cast<std::streamsize>(text.size()));
  stream->flush();
}

void print_report(Diagnostics &run, std::string_view kind, std::string_view location, int32_t line,
                  std::string_view text) {
  std::string out(kind);
  if (!location.empty()) {
    out += ':';
    out += location;
    out += ", ";
    out += std::to_string(line);
  }
  out += ": ";
  out += text;
  out += '\n';
  put(run.diag_stream, out);
}

// Counts an error; false when it is past the limit and stays unprinted.
bool count_error(Diagnostics &run) {
  ++run.error_count;
  return run.error_limit == 0 || run.error_count <= run.error_limit;
}
}  // namespace

std::string format_message(const Diagnostics &run, MessageId id, MessageArgs args) {
  return format_text(host_message_text(catalog_text(id, run.language)), args);
}

void report_error(Diagnostics &run, std::string_view location, int32_t line, MessageId id,
                  MessageArgs args) {
  report_error_text(run, location, line, format_message(run, id, args));
}

void report_error(Diagnostics &run, MessageId id, MessageArgs args) { report_error(run, "", 0, id, args); }

void report_warning(Diagnostics &run, std::string_view location, int32_t line, MessageId id,
                    MessageArgs args) {
  report_warning_text(run, location, line, format_message(run, id, args));
}

void report_warning(Diagnostics &run, MessageId id, MessageArgs args) { report_warning(run, "", 0, id, args); }

void report_error_text(Diagnostics &run, std::string_view location, int32_t line,
                       std::string_view text) {
  if (count_error(run)) print_report(run, "Error", location, line, text);
}

void report_error_text(Diagnostics &run, std::string_view text) { report_error_text(run, "", 0, text); }

void report_warning_text(Diagnostics &run, std::string_view location, int32_t line,
                         std::string_view text) {
  print_report(run, "Warning", location, line, text);
}

void report_warning_text(Diagnostics &run, std::string_view text) { report_warning_text(run, "", 0, text); }

void report_out_of_memory(Diagnostics &run, std::string_view text) {
  if (!count_error(run)) return;
  put(run.diag_stream, "Error: ");
  put(run.diag_stream, text);
  put(run.diag_stream, "\n");
}

void print_info(Diagnostics &run, std::string_view text) {
  std::string out(text);
  out += '\n';
  put(run.diag_stream, out);
}

void print_diagnostic(Diagnostics &run, std::string_view text) { put(run.diag_stream, text); }

void print_output(Diagnostics &run, std::string_view text) {
  if (run.output_error != 0) return;
  errno = 0;
  put(run.out_stream, text);
  check_output_stream(run);
}

void check_output_stream(Diagnostics &run) {
  // The stream keeps no reason; the failed write's errno is still there.
  if (run.output_error == 0 && !*run.out_stream) run.output_error = errno != 0 ? errno : EIO;
}

}  // namespace qorv
