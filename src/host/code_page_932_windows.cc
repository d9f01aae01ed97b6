#include "host/code_page_932.h"

#include <windows.h>

namespace qorv {

void fill_code_page_932(std::vector<uint16_t> &to_unicode, std::vector<uint16_t> &from_unicode) {
  constexpr UINT CODE_PAGE = 932;
  for (uint32_t code = 1; code < 0x10000; ++code) {
    const auto lead = static_cast<unsigned char>(code >> 8);
    if (code >= 0x100 ? !is_code_page_932_lead(lead) : is_code_page_932_lead(static_cast<unsigned char>(code)))
      continue;
    const char bytes[2] = {static_cast<char>(code >= 0x100 ? lead : code), static_cast<char>(code & 0xFF)};
    const int size = code >= 0x100 ? 2 : 1;
    // Some systems call the bytes that the code page maps to private-use
    // characters (A0, FD to FF) invalid, yet convert them both ways: taken
    // when they come back.
    wchar_t wide[2];
    const bool valid = ::MultiByteToWideChar(CODE_PAGE, MB_ERR_INVALID_CHARS, bytes, size, wide, 2) == 1;
    if (!valid && ::MultiByteToWideChar(CODE_PAGE, 0, bytes, size, wide, 2) != 1) continue;
    char back[4];
    BOOL lacking = FALSE;
    const int back_size =
        ::WideCharToMultiByte(CODE_PAGE, WC_NO_BEST_FIT_CHARS, wide, 1, back, sizeof back, nullptr, &lacking);
    const bool comes_back = !lacking && back_size == size && back[0] == bytes[0] && (size == 1 || back[1] == bytes[1]);
    if (!valid && !comes_back) continue;
    to_unicode[code] = static_cast<uint16_t>(wide[0]);
    if (comes_back) from_unicode[static_cast<uint16_t>(wide[0])] = static_cast<uint16_t>(code);
  }
}

}  // namespace qorv
