#include "host/disc_code_page.h"

namespace qorv {

// Names are UTF-8: only a-z change case, and no byte of a multi-byte
// character is ASCII.
const DiscCodePage &DiscCodePage::host() {
  static const DiscCodePage page(nullptr, nullptr);
  return page;
}

DiscCodePageChoice host_code_page_932() {
  const DiscCodePage &page = DiscCodePage::code_page_932();
  // iconv without its CP932 module converts nothing.
  std::string probe;
  if (!page.to_disc("A", probe))
    return {nullptr, "QORV_DISC_CODE_PAGE=932: this system's iconv has no code page CP932."};
  return {&page, {}};
}

}  // namespace qorv
