#include "host/disc_code_page.h"

#include <windows.h>

namespace qorv {

namespace {

// The upper case of one character of the ANSI code page (one or two bytes),
// through the system's mapping; the character itself when its upper case is
// not in the code page, is of another length, or crosses between ASCII and
// the rest (so a-z stay the only letters that ASCII names fold).
void upper_case_character(const char *in, char *out, int length) {
  wchar_t wide[2];
  if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, in, length, wide, 2) != 1) return;
  ::CharUpperBuffW(wide, 1);
  char back[4];
  BOOL lacking = FALSE;
  int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, 1, back, sizeof back, nullptr, &lacking);
  if (n != length || lacking || static_cast<unsigned char>(back[0]) < 0x80) return;
  for (int i = 0; i < length; ++i) out[i] = back[i];
}

// The rules of the ANSI code page, which does not change while the process
// runs.
DoubleByteRules ansi_code_page_rules() {
  DoubleByteRules rules;
  for (int b = 0; b < 256; ++b) {
    rules.single_upper[b] = static_cast<uint8_t>(b);
    rules.lead[b] = b >= 0x80 && ::IsDBCSLeadByte(static_cast<BYTE>(b));
    if (b >= 0x80 && !rules.lead[b]) {
      const char c = static_cast<char>(b);
      char upper = c;
      upper_case_character(&c, &upper, 1);
      rules.single_upper[b] = static_cast<uint8_t>(upper);
    }
  }
  for (int lead = 0x80; lead < 0x100; ++lead) {
    if (!rules.lead[lead]) continue;
    for (int trail = 0x40; trail < 0x100; ++trail) {
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char out[2] = {in[0], in[1]};
      upper_case_character(in, out, 2);
      if (out[0] != in[0] || out[1] != in[1])
        rules.double_upper[static_cast<size_t>(lead) << 8 | static_cast<unsigned>(trail)] =
            static_cast<uint16_t>(static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
    }
  }
  return rules;
}

}  // namespace

// Names come from the system in the ANSI code page: they go onto the disc
// as they are.
const DiscCodePage &DiscCodePage::host() {
  static const DoubleByteRules rules = ansi_code_page_rules();
  static const DiscCodePage page(&rules, nullptr);
  return page;
}

DiscCodePageChoice host_code_page_932() {
  if (::GetACP() == 932) return {&DiscCodePage::host(), {}};
  return {nullptr, "QORV_DISC_CODE_PAGE=932 needs the ANSI code page 932 on Windows (this system's is " +
                       std::to_string(::GetACP()) + ")."};
}

}  // namespace qorv
