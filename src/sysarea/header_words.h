// The values the BB2 block stores divided by the mode's unit (4 in ZEM mode,
// 1 in HT mode) in 32-bit words must survive the division and the cut to 32
// bits, or the header would describe another disc than the DLF.
#pragma once

namespace qorv {

struct RunState;

// Checks the boot file and FST positions, the FST size and maximum length,
// the user area start and its length once the system layout is known;
// reports every value that does not fit, without location, and returns false
// when there was any.
bool check_header_words(RunState &run);

}  // namespace qorv
