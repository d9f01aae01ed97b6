#include "host/name_case.h"

namespace qorv {

// Names are UTF-8: only a-z change.
void upper_case_beyond_ascii(std::string_view, char *) {}

}  // namespace qorv
