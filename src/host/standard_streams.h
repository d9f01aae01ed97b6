// The process's standard streams as it found them.
#pragma once

namespace qorv {

// Puts a descriptor that refuses every write (/dev/null opened for reading)
// where standard input, output or error was closed, so that a file the
// program opens never takes their place and gets what was meant for them;
// a write to a closed stream then fails as it should.
void hold_closed_standard_streams();

}  // namespace qorv
