// The command line: options -v, -a and -?, then one to three description files.
#pragma once

namespace qorv {

struct RunState;

// Reads the arguments (argv[0] is not examined), sets `absolute_root` and the
// layer file names. True when the run may go on (no error counted).
bool parse_command_line(RunState &run, int argc, const char *const *argv);

void print_version_banner(RunState &run);
void print_usage(RunState &run);

}  // namespace qorv
