// The program's run: command line, description files, then the stages.
#pragma once

namespace qorv {

struct RunState;

// Returns the exit status: 0 success, 1 command line rejected, -1 failed run.
int run_program(RunState &run, int argc, const char *const *argv);

}  // namespace qorv
