#include "host/multibyte_text.h"

#include <algorithm>
#include <windows.h>

namespace qorv {

size_t copy_whole_characters(std::string_view text, std::span<uint8_t> field) {
  size_t used = 0;
  while (used < text.size()) {
    size_t length = ::IsDBCSLeadByte(static_cast<BYTE>(text[used])) && used + 1 < text.size() ? 2 : 1;
    if (used + length > field.size()) break;
    used += length;
  }
  std::fill(std::copy_n(text.begin(), used, field.begin()), field.end(), uint8_t{0});
  return used;
}

bool name_has_backslash(std::string_view name) {
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\') return true;
    if (::IsDBCSLeadByte(static_cast<BYTE>(name[i]))) ++i;  // its trail byte may be 0x5C
  }
  return false;
}

std::string host_message_text(std::string_view utf8) {
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(utf8);
  const int size = static_cast<int>(utf8.size());
  int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace qorv
