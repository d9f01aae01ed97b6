#include "host/code_page_932.h"

namespace qorv {

namespace {

// The simple upper case of the lower-case letters that code page 932 holds:
// full-width Latin, Greek, Cyrillic and the small Roman numerals.
uint16_t upper_case_unicode(uint16_t c) {
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
  if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) return c - 0x20;
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
  if (c >= 0x2170 && c <= 0x217F) return c - 0x10;
  return c;
}

// The next character of `text` from `at` (advanced past it); nothing for a
// byte that begins no valid UTF-8 sequence (`at` then steps one byte).
std::optional<uint32_t> next_utf8(std::string_view text, size_t &at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length;
  uint32_t c;
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07;
  } else {
    ++at;
    return std::nullopt;
  }
  if (at + length > text.size()) {
    ++at;
    return std::nullopt;
  }
  for (size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(text[at + i]);
    if ((b & 0xC0) != 0x80) {
      ++at;
      return std::nullopt;
    }
    c = c << 6 | (b & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are not characters.
  static constexpr uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < least[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
    ++at;
    return std::nullopt;
  }
  at += length;
  return c;
}

}  // namespace

void append_utf8(uint32_t cp, std::string &out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool is_valid_utf8(std::string_view text) {
  for (size_t at = 0; at < text.size();)
    if (!next_utf8(text, at)) return false;
  return true;
}

const CodePage932 &CodePage932::get() {
  static const CodePage932 code_page;
  return code_page;
}

CodePage932::CodePage932() {
  fill_code_page_932(to_unicode_, from_unicode_);
  for (int b = 0; b < 256; ++b) {
    rules_.lead[b] = is_code_page_932_lead(static_cast<unsigned char>(b));
    rules_.single_upper[b] = static_cast<uint8_t>(b);  // no single-byte letters beyond ASCII
  }
  for (uint32_t code = 0x8100; code < 0x10000; ++code) {
    const uint16_t c = to_unicode_[code];
    if (!c || !rules_.lead[code >> 8]) continue;
    const uint16_t upper = from_unicode_[upper_case_unicode(c)];
    if (upper != code && upper >= 0x8100) rules_.double_upper[code] = upper;
  }
}

bool CodePage932::encode(std::string_view utf8, std::string &out) const {
  bool whole = true;
  for (size_t at = 0; at < utf8.size();) {
    std::optional<uint32_t> c = next_utf8(utf8, at);
    const uint16_t code = c && *c != 0 && *c < 0x10000 ? from_unicode_[*c] : 0;
    if (!code) {
      whole = false;
      out += '?';
    } else if (code < 0x100) {
      out += static_cast<char>(code);
    } else {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    }
  }
  return whole;
}

bool CodePage932::decode(std::string_view text, std::string &out) const {
  bool whole = true;
  for (size_t at = 0; at < text.size();) {
    const auto b = static_cast<unsigned char>(text[at]);
    uint16_t code = b;
    if (rules_.lead[b] && at + 1 < text.size()) {
      code = static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(text[at + 1]));
      at += 2;
    } else {
      ++at;
    }
    const uint16_t c = to_unicode_[code];
    if (!c && code != 0) {
      whole = false;
      append_utf8(0xFFFD, out);
    } else {
      append_utf8(c, out);
    }
  }
  return whole;
}

}  // namespace qorv
