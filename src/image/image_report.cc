#include "image/image_report.h"

#include <cerrno>
#include <cstdio>

#include "core/text_format.h"
#include "host/disc_file.h"
#include "host/multibyte_text.h"

namespace qorv {

namespace {
void error_line(ImageRun &run, std::string_view file, int32_t line, std::string_view text) {
  if (run.error_count + 1 == run.error_limit)
    report_error_text(run, image_text(run, ImageMessage::TooManyErrors));
  else
    report_error_text(run, file, line, text);
}
}  // namespace

std::string image_text(const Diagnostics &run, ImageMessage id, ImageArgs args) {
  return fill_placeholders(host_message_text(image_catalog_text(id, run.language)), args);
}

void image_error(ImageRun &run, ImageMessage id, ImageArgs args) { error_line(run, "", 0, image_text(run, id, args)); }

void image_error_at(ImageRun &run, std::string_view file, int32_t line, ImageMessage id, ImageArgs args) {
  error_line(run, file, line, image_text(run, id, args));
}

void image_warning(ImageRun &run, ImageMessage id, ImageArgs args) { report_warning_text(run, image_text(run, id, args)); }

void image_note(ImageRun &run, ImageMessage id, ImageArgs args) { print_info(run, image_text(run, id, args)); }

std::string open_problem(const ImageRun &run, int error) {
  return error == ENODEV ? image_text(run, ImageMessage::NotRegularFile) : error_text(error);
}

std::string hex_offset(uint64_t value, int width) { return "0x" + hex_lower(value, width); }

std::string grouped(uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string binary_size(double bytes) {
  static constexpr const char *units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  while (bytes >= 1024 && unit < 4) {
    bytes /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
  return text;
}

}  // namespace qorv
