// The system file (eight regions) and the configuration file stages.
#pragma once

namespace qorv {

struct RunState;

bool write_system_file(RunState &run);
bool write_config_file(RunState &run);

}  // namespace qorv
