// The output files must not overwrite each other or a file the run reads.
#pragma once

namespace qorv {

struct RunState;

// Checks the outputs (LayoutFileName, SystemFileName and, in ZEM mode,
// ConfigFileName) before any is written. Each must be a file or a device
// (not a FIFO or the like), must not be another output and must not be a
// file the run reads: the [Input] files, the description files, the
// registry export file, a file of the disc. Two paths are one file when
// they are equal once resolved as text against the current directory, when
// both lead to the same existing file, or when they lead to the same name in
// the same folder (links followed, also to a file not there yet). The system
// and configuration file names, which the DLF lists, must hold no line
// break.
// Each fault is reported, outputs by their path as the description gives
// it; false when any was.
bool check_output_paths(RunState &run);

}  // namespace qorv
