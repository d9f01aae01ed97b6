// Code page 932 (Japanese, Shift-JIS with the extensions of the Windows
// code page) on any host: conversion from and to UTF-8, and its rules for
// letter case and double-byte characters. The tables are those of the
// Windows code page: a character converts only when it comes back as
// itself, so look-alikes that one direction maps (U+301C to the code of
// U+FF5E, U+00A5 to 0x5C) are characters the code page cannot hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/double_byte_rules.h"

namespace qorv {

class CodePage932 {
public:
  // Built once per process from the host's converter; read-only afterwards.
  static const CodePage932 &get();

  // `utf8` in code page 932, appended to `out`. False when `utf8` is not
  // valid UTF-8 or holds a character the code page lacks; `out` then has
  // "?" for each such character (or byte), as a shown form.
  bool encode(std::string_view utf8, std::string &out) const;
  // `text` (code page 932) in UTF-8, appended to `out`. False when a byte
  // or a pair is no character of the code page; `out` then has U+FFFD for it.
  bool decode(std::string_view text, std::string &out) const;

  const DoubleByteRules &rules() const { return rules_; }

  // The Unicode character of a code (a single byte, or lead << 8 | trail);
  // 0 when it has none. The code of a Unicode character of the basic
  // plane; 0 when the code page lacks it.
  uint16_t to_unicode(uint16_t code) const { return to_unicode_[code]; }
  uint16_t from_unicode(uint16_t unicode) const { return from_unicode_[unicode]; }

private:
  CodePage932();

  std::vector<uint16_t> to_unicode_ = std::vector<uint16_t>(0x10000, 0);
  std::vector<uint16_t> from_unicode_ = std::vector<uint16_t>(0x10000, 0);
  DoubleByteRules rules_;
};

// Fills the two tables from the host's own converter (POSIX: iconv "CP932";
// Windows: the system's code page 932). Only codes that convert both ways
// to the same character are entered.
void fill_code_page_932(std::vector<uint16_t> &to_unicode, std::vector<uint16_t> &from_unicode);

// True when `text` is valid UTF-8 (no overlong forms, no surrogates).
bool is_valid_utf8(std::string_view text);

// The UTF-8 form of the code point `cp` (below 0x110000), appended to `out`.
void append_utf8(uint32_t cp, std::string &out);

// Lead bytes of code page 932.
inline bool is_code_page_932_lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace qorv
