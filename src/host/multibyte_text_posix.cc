#include "host/multibyte_text.h"

namespace qorv {

std::string host_message_text(std::string_view utf8) { return std::string(utf8); }

}  // namespace qorv
