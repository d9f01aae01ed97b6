// The output files must not overwrite each other or a file the run reads.
#pragma once

namespace qorv {

struct RunState;

// Compares the output files (LayoutFileName, SystemFileName and, in ZEM
// mode, ConfigFileName) with each other and with the input files (the
// [Input] files and the description files). Two paths clash when they are
// equal once resolved as text against the current directory, or when both
// exist and are the same file. Each clashing output is reported, by its
// path as the description gives it; false when any was.
bool check_output_paths(RunState &run);

}  // namespace qorv
