#include "host/signals.h"

#include <csignal>

namespace qorv {

void ignore_file_size_limit_signal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace qorv
