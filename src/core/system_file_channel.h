// The one open system file into which the region writers write in turn,
// each after the gap up to its region's offset has been zero-filled.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qorv {

struct RunState;

// Writes `length` bytes at the current position of `run.system_file`; on
// failure reports 1018 with the system file's path and returns false.
bool write_region(RunState &run, const void *buffer, size_t length);

// Zero-fills from the current position up to `offset`. An offset below the
// current position is refused (1018 with the path) rather than written; a
// failed fill is reported like a failed region write.
bool pad_to(RunState &run, uint64_t offset);

}  // namespace qorv
