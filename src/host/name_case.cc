#include "host/name_case.h"

namespace qorv {

void upper_case_into(std::string_view text, std::string &out) {
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) out[i] = upper_case_byte(text[i]);
}

std::string upper_case_name(std::string_view text) {
  std::string out;
  upper_case_into(text, out);
  return out;
}

}  // namespace qorv
