#include "host/name_case.h"

#include <array>
#include <cstdint>
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

struct CodePageCase {
  std::array<char, 256> single{};     // upper case of each single-byte character
  std::array<bool, 256> lead{};       // lead bytes of double-byte characters
};

// Built once per process from the code page, which does not change while
// the process runs; read-only afterwards.
const CodePageCase &code_page_case() {
  static const CodePageCase table = [] {
    CodePageCase t;
    for (int b = 0; b < 256; ++b) {
      t.single[b] = static_cast<char>(b);
      t.lead[b] = b >= 0x80 && ::IsDBCSLeadByte(static_cast<BYTE>(b));
      if (b >= 0x80 && !t.lead[b]) {
        const char c = static_cast<char>(b);
        upper_case_character(&c, &t.single[b], 1);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

void upper_case_beyond_ascii(std::string_view text, char *out) {
  const CodePageCase *table = nullptr;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) continue;
    if (!table) table = &code_page_case();
    if (table->lead[b] && i + 1 < text.size()) {
      // The trail byte may lie in a-z, which the ASCII pass changed.
      out[i] = text[i];
      out[i + 1] = text[i + 1];
      upper_case_character(text.data() + i, out + i, 2);
      ++i;  // the trail byte belongs to this character
    } else {
      out[i] = table->single[b];
    }
  }
}

}  // namespace qorv
