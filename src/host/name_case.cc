#include "host/name_case.h"

namespace qorv {

void upper_case_into(std::string_view text, std::string &out) {
  out.resize(text.size());
  char *to = out.data();
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    to[i] = static_cast<char>(c - (static_cast<unsigned>(c - 'a') < 26u ? 32 : 0));  // branch-free a-z only
  }
}

std::string upper_case_name(std::string_view text) {
  std::string out;
  upper_case_into(text, out);
  return out;
}

}  // namespace qorv
