#include "image/shown_text.h"

#include <cstdint>
#include <cstdio>

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

bool is_control(uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void escape(std::string &out, uint8_t byte) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02X", byte);
  out += hex;
}

// Calls `keep` for each whole character; bytes of invalid sequences and
// characters `keep` declines are escaped.
template <typename Keep>
std::string shown(std::string_view text, Keep keep) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t length = utf8_sequence_length(text, i);
    if (length == 0 || !keep(out, code_point(text, i, length), text.substr(i, length))) {
      for (size_t k = 0; k < (length == 0 ? 1 : length); ++k) escape(out, byte_at(text, i + k));
      i += length == 0 ? 1 : length;
      continue;
    }
    i += length;
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

std::string terminal_text(std::string_view text) {
  return shown(text, [](std::string &out, uint32_t c, std::string_view bytes) {
    if (is_control(c) || c == '\\') return false;
    out += bytes;
    return true;
  });
}

std::string xml_text(std::string_view text) {
  return shown(text, [](std::string &out, uint32_t c, std::string_view bytes) {
    if ((is_control(c) && c != '\t') || c == 0xFFFE || c == 0xFFFF) return false;
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += bytes;
    }
    return true;
  });
}

}  // namespace qorv
