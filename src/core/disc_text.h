// Texts of the description files as they go onto the disc: in the disc's
// code page (the loader has refused those it cannot hold).
#pragma once

#include <string>
#include <string_view>

#include "core/run_state.h"

namespace qorv {

inline std::string disc_text(const RunState &run, std::string_view text) {
  std::string out;
  run.disc_code_page->to_disc(text, out);
  return out;
}

}  // namespace qorv
