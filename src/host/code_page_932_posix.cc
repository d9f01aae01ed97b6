#include "host/code_page_932.h"

#include <array>
#include <iconv.h>

namespace qorv {

namespace {

// One character through `cd`; the number of output bytes, or 0.
size_t convert_one(iconv_t cd, const char *in, size_t in_size, char *out, size_t out_size) {
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char *from = const_cast<char *>(in), *to = out;
  size_t in_left = in_size, out_left = out_size;
  if (::iconv(cd, &from, &in_left, &to, &out_left) == static_cast<size_t>(-1) || in_left != 0) return 0;
  return out_size - out_left;
}

}  // namespace

void fill_code_page_932(std::vector<uint16_t> &to_unicode, std::vector<uint16_t> &from_unicode) {
  iconv_t decoder = ::iconv_open("UTF-16LE", "CP932");
  iconv_t encoder = ::iconv_open("CP932", "UTF-16LE");
  if (decoder != reinterpret_cast<iconv_t>(-1) && encoder != reinterpret_cast<iconv_t>(-1)) {
    for (uint32_t code = 1; code < 0x10000; ++code) {
      const auto lead = static_cast<unsigned char>(code >> 8);
      if (code >= 0x100 && !is_code_page_932_lead(lead)) continue;
      const char bytes[2] = {static_cast<char>(code >= 0x100 ? lead : code), static_cast<char>(code & 0xFF)};
      const size_t size = code >= 0x100 ? 2 : 1;
      if (size == 1 && is_code_page_932_lead(static_cast<unsigned char>(code))) continue;
      char wide[8];
      if (convert_one(decoder, bytes, size, wide, sizeof wide) != 2) continue;
      const auto unicode =
          static_cast<uint16_t>(static_cast<unsigned char>(wide[0]) | static_cast<unsigned char>(wide[1]) << 8);
      to_unicode[code] = unicode;
      // Of the codes that share a character, the encoder picks one; a
      // character it maps to a code that does not come back is not held.
      char back[4];
      const size_t back_size = convert_one(encoder, wide, 2, back, sizeof back);
      if (back_size == size && back[0] == bytes[0] && (size == 1 || back[1] == bytes[1]))
        from_unicode[unicode] = static_cast<uint16_t>(code);
    }
  }
  if (decoder != reinterpret_cast<iconv_t>(-1)) ::iconv_close(decoder);
  if (encoder != reinterpret_cast<iconv_t>(-1)) ::iconv_close(encoder);
  // Single bytes that the Windows code page maps and iconv's does not.
  constexpr std::array<std::pair<uint16_t, uint16_t>, 5> windows_only{
      {{0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}}};
  for (auto [code, unicode] : windows_only) {
    to_unicode[code] = unicode;
    from_unicode[unicode] = code;
  }
}

}  // namespace qorv
