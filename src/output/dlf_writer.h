// The disk layout file.
#pragma once

namespace qorv {

struct RunState;

bool write_dlf(RunState &run);

}  // namespace qorv
