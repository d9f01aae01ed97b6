// Reads the description files into their layers, fixes the target mode and
// the advanced FST flag, and checks the required keys.
#pragma once

namespace qorv {

struct RunState;

void load_description_files(RunState &run);
void apply_mode_rules(RunState &run);
void check_required_keys(RunState &run);

}  // namespace qorv
