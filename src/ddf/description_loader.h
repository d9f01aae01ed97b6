// Reads the description files into their layers, fixes the target mode and
// the advanced FST flag, and checks the required keys.
#pragma once

namespace qorv {

struct RunState;

void load_description_files(RunState &run);
void apply_mode_rules(RunState &run);
void check_required_keys(RunState &run);
// With the disc in code page 932: every text that goes onto the disc (names
// and patterns of the layout sections, [PathList] FST dirs, the disc's identity
// texts and arguments) can be written in it; reports each that cannot.
void check_disc_texts(RunState &run);

}  // namespace qorv
