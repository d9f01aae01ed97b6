#include "image/progress_line.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "host/interrupt_watch.h"
#include "image/image_report.h"

namespace qorv {

namespace {
constexpr double REDRAW_SECONDS = 0.25;
}

ProgressLine::ProgressLine(ImageRun &run, uint64_t total)
    : run_(run), total_(total), start_(monotonic_seconds()), last_drawn_(start_) {}

void ProgressLine::update(uint64_t done) {
  if (!run_.progress) return;
  double now = monotonic_seconds();
  if (now - last_drawn_ < REDRAW_SECONDS) return;
  last_drawn_ = now;
  double seconds = now - start_;
  double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  double percent = total_ ? 100.0 * static_cast<double>(done) / static_cast<double>(total_) : 100.0;
  char left[32] = "?";
  if (rate > 0) {
    auto remaining = static_cast<long long>(static_cast<double>(total_ - std::min(done, total_)) / rate);
    std::snprintf(left, sizeof left, "%lld:%02lld", remaining / 60, remaining % 60);
  }
  char whole[16];
  std::snprintf(whole, sizeof whole, "%.0f", percent);
  print_diagnostic(run_, "\r" +
                           image_text(run_, ImageMessage::Progress,
                                      {binary_size(static_cast<double>(done)), binary_size(static_cast<double>(total_)),
                                       whole, binary_size(rate), left}) +
                           "\033[K");
  drawn_ = true;
}

void ProgressLine::finish() {
  if (drawn_) print_diagnostic(run_, "\r\033[K");
  drawn_ = false;
}

}  // namespace qorv
