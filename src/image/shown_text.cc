#include "image/shown_text.h"

#include <cstdint>

#include "disc/hex_digits.h"
#include "host/code_page_932.h"
#include "host/multibyte_text.h"

namespace qorv {

namespace {
uint8_t byte_at(std::string_view text, size_t at) { return static_cast<uint8_t>(text[at]); }

// The code point of a sequence utf8_sequence_length accepted.
uint32_t code_point(std::string_view text, size_t at, size_t length) {
  static constexpr uint8_t lead_bits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  uint32_t value = byte_at(text, at) & lead_bits[length];
  for (size_t k = 1; k < length; ++k) value = value << 6 | (byte_at(text, at + k) & 0x3F);
  return value;
}

// One character of a name: how many bytes it takes, its code point and its
// UTF-8 form; or, when `length` is 0, how many bytes decode to nothing (a
// pair of code page 932 goes whole).
struct Character {
  size_t length = 0;
  size_t undecoded = 1;
  uint32_t code = 0;
  std::string utf8;
};

bool is_trail_932(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

void decode_at(std::string_view text, size_t at, NameEncoding encoding, Character &c) {
  c.utf8.clear();
  c.undecoded = 1;
  const uint8_t lead = byte_at(text, at);
  if (encoding == NameEncoding::Utf8) {
    c.length = utf8_sequence_length(text, at);
    if (c.length == 0) return;
    c.code = code_point(text, at, c.length);
    c.utf8.assign(text.substr(at, c.length));
    return;
  }
  c.length = 0;
  if (lead < 0x80) {
    c.length = 1;
    c.code = lead;
    c.utf8 = static_cast<char>(lead);
    return;
  }
  if (encoding == NameEncoding::Bytes) return;
  const CodePage932 &page = CodePage932::get();
  // A lead byte and a trail byte are one code, decoded or not together.
  size_t length = 1;
  uint16_t code = lead;
  if (is_code_page_932_lead(lead)) {
    if (at + 1 >= text.size() || !is_trail_932(byte_at(text, at + 1))) return;
    length = 2;
    code = static_cast<uint16_t>(lead << 8 | byte_at(text, at + 1));
  }
  const uint16_t unicode = page.to_unicode(code);
  if (unicode == 0) {
    c.undecoded = length;
    return;
  }
  c.length = length;
  c.code = unicode;
  append_utf8(unicode, c.utf8);
}

bool is_control(uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void escape(std::string &out, uint8_t byte) {
  out += "\\x";
  append_hex(out, byte, 2, HexCase::Upper);
}

// Calls `keep` for each whole character; bytes that do not decode are
// given to `undecoded`, characters `keep` declines are escaped.
template <typename Keep, typename Undecoded>
std::string shown(std::string_view text, NameEncoding encoding, Keep keep, Undecoded undecoded) {
  std::string out;
  out.reserve(text.size());
  Character c;
  for (size_t i = 0; i < text.size();) {
    decode_at(text, i, encoding, c);
    if (c.length == 0) {
      for (size_t k = 0; k < c.undecoded; ++k) undecoded(out, byte_at(text, i + k));
      i += c.undecoded;
      continue;
    }
    if (!keep(out, c.code, std::string_view(c.utf8)))
      for (size_t k = 0; k < c.length; ++k) escape(out, byte_at(text, i + k));
    i += c.length;
  }
  return out;
}
}  // namespace

size_t utf8_sequence_length(std::string_view text, size_t at) {
  const uint8_t lead = byte_at(text, at);
  if (lead < 0x80) return 1;
  // The second byte's range for each lead byte rules out overlong forms,
  // surrogates and code points past U+10FFFF.
  uint8_t low = 0x80, high = 0xBF;
  size_t length;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte_at(text, at + 1) < low || byte_at(text, at + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if ((byte_at(text, at + k) & 0xC0) != 0x80) return 0;
  return length;
}

bool decodes_whole(std::string_view text, NameEncoding encoding) {
  Character c;
  for (size_t i = 0; i < text.size(); i += c.length) {
    decode_at(text, i, encoding, c);
    if (c.length == 0) return false;
  }
  return true;
}

std::string terminal_text(std::string_view text, NameEncoding encoding) {
  return host_message_text(shown(
      text, encoding,
      [](std::string &out, uint32_t c, std::string_view bytes) {
        if (is_control(c) || c == '\\') return false;
        out += bytes;
        return true;
      },
      escape));
}

std::string xml_text(std::string_view text, NameEncoding encoding) {
  return shown(
      text, encoding,
      [](std::string &out, uint32_t c, std::string_view bytes) {
        if ((is_control(c) && c != '\t') || c == 0xFFFE || c == 0xFFFF) return false;
        switch (c) {
          case '&': out += "&amp;"; break;
          case '<': out += "&lt;"; break;
          case '>': out += "&gt;"; break;
          case '"': out += "&quot;"; break;
          default: out += bytes;
        }
        return true;
      },
      escape);
}

std::string utf8_text(std::string_view text, NameEncoding encoding) {
  return shown(
      text, encoding,
      [](std::string &out, uint32_t, std::string_view bytes) {
        out += bytes;
        return true;
      },
      [](std::string &out, uint8_t) { out += "\xEF\xBF\xBD"; });
}

}  // namespace qorv
