#include "host/signals.h"

namespace qorv {

// Windows sends no signal for a file-size limit: a write that cannot be
// done fails, which the writer reports.
void ignore_file_size_limit_signal() {}

}  // namespace qorv
