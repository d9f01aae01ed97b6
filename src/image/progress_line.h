// The status line of a long copy: bytes done of the total, percent, rate and
// time left, redrawn in place a few times a second while it runs.
#pragma once

#include <cstdint>

#include "image/image_run.h"

namespace qorv {

class ProgressLine {
public:
  // Draws nothing unless `run.progress`.
  ProgressLine(ImageRun &run, uint64_t total);
  // Redraws when a quarter of a second passed since the last drawing.
  void update(uint64_t done);
  // Clears the line.
  void finish();

private:
  ImageRun &run_;
  uint64_t total_;
  double start_;
  double last_drawn_;
  bool drawn_ = false;
};

}  // namespace qorv
