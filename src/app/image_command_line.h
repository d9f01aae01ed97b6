// QorvImage's command line: `QorvImage <command> [options]`, parsed with
// CLI11 into the run's options.
#pragma once

#include <optional>

#include "image/image_run.h"

namespace qorv {

// Fills `run.options`. Returns nothing when the command should run, otherwise
// the exit status to end with: 0 after --help or --version, 1 for a rejected
// command line (the message and the usage went to the diagnostic stream).
std::optional<int> parse_image_command_line(ImageRun &run, int argc, const char *const *argv);

// Runs the whole program: command line, then the command. Returns the exit status.
int run_image_program(ImageRun &run, int argc, const char *const *argv);

}  // namespace qorv
