// Signals the host sends a process that the tool handles itself.
#pragma once

namespace qorv {

// A write beyond the process's file-size limit then fails like any other
// failed write, which the writer reports, instead of ending the process
// without a word and leaving its output cut short.
void ignore_file_size_limit_signal();

}  // namespace qorv
