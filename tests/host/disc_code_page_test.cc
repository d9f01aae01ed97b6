// Letter case of disc names, and code page 932: its conversion, the same on
// every host as the Windows code page's, and its rules for double-byte
// characters.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/code_page_932.h"
#include "host/disc_code_page.h"
#include "host/name_case.h"
#include "support/test_support.h"

namespace qorv {
namespace {

TEST(NameCase, OnlyLettersChangeCase) {
  // Every byte value, in texts long enough to be handled eight bytes at a
  // time and with a tail. (Windows maps further letters of its code page.)
  const DiscCodePage &host = DiscCodePage::host();
  for (int b = 0; b < (test::kWindowsHost ? 0x80 : 256); ++b) {
    const std::string text(11, static_cast<char>(b));
    const char upper = (b >= 'a' && b <= 'z') ? static_cast<char>(b - 32) : static_cast<char>(b);
    const char lower = (b >= 'A' && b <= 'Z') ? static_cast<char>(b + 32) : static_cast<char>(b);
    EXPECT_EQ(host.upper_case_name(text), std::string(11, upper)) << b;
    std::string lowered(text.size(), '\0');
    ascii_lower_case_copy(text, lowered.data());
    EXPECT_EQ(lowered, std::string(11, lower)) << b;
  }
  if (!test::kWindowsHost) {
    EXPECT_EQ(host.upper_case_name("data\\\xc3\xa9t\xc3\xa9_01.bin"), "DATA\\\xc3\xa9T\xc3\xa9_01.BIN");
  }
  EXPECT_EQ(host.upper_case_name(""), "");
}

// FNV-1a over the whole tables: both hosts build them from their own
// converter (iconv's CP932 with the Windows code page's extra single bytes,
// or the system's code page 932), and must agree on every code.
uint64_t fingerprint(const CodePage932 &cp) {
  uint64_t h = 0xcbf29ce484222325u;
  auto mix = [&h](uint32_t v) {
    for (int i = 0; i < 4; ++i) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 0x100000001b3u;
  };
  for (uint32_t c = 0; c < 0x10000; ++c) {
    mix(cp.to_unicode(static_cast<uint16_t>(c)));
    mix(cp.from_unicode(static_cast<uint16_t>(c)));
    mix(cp.rules().double_upper[c]);
  }
  return h;
}

TEST(CodePage932, SameTablesOnEveryHost) {
  const CodePage932 &cp = CodePage932::get();
  EXPECT_EQ(fingerprint(cp), 0xf991f1ca2559827cu);
  if (test::kWindowsHost) {
    // The tests run with the ANSI code page 932: its system-made rules are
    // the portable ones.
    const DoubleByteRules &ansi = *DiscCodePage::host().double_byte();
    EXPECT_EQ(ansi.lead, cp.rules().lead);
    EXPECT_EQ(ansi.single_upper, cp.rules().single_upper);
    EXPECT_EQ(ansi.double_upper, cp.rules().double_upper);
  }
}

TEST(CodePage932, ConvertsWhatComesBackAsItself) {
  const DiscCodePage &page = DiscCodePage::code_page_932();
  struct Case {
    const char *utf8;
    const char *disc;  // "?" where the code page lacks the character
    bool held;
  };
  const std::vector<Case> cases{
      {"\u30BD\u8868.bin", "\x83\x5C\x95\x5C.bin", true},  // ソ表: trail bytes 0x5C
      {"\uFF76\u3042\uFF41\\~", "\xB6\x82\xA0\x82\x81\\~", true},  // ｶあａ, backslash and tilde
      {"\uFF5E\u2225\uFFE2\u2170\u2160", "\x81\x60\x81\x61\x81\xCA\xFA\x40\x87\x54", true},
      {"\u0080\uF8F0\uF8F3", "\x80\xA0\xFF", true},  // single bytes only the Windows table has
      // Look-alikes that iconv maps one way only: not held, as on Windows.
      {"\u301C\u2016\u00A5\u203E\u2014\u2212\u00A2\u00A3\u00AC", "?????????", false},
      {"a\U0001F600\u00A9", "a??", false},  // an emoji, the copyright sign
      {"a\xC3(\xED\xA0\x80", "a?(???", false},  // a cut sequence, a surrogate
  };
  for (const Case &c : cases) {
    std::string disc;
    EXPECT_EQ(page.to_disc(c.utf8, disc), c.held) << c.utf8;
    EXPECT_EQ(disc, c.disc) << c.utf8;
    if (!c.held) continue;
    std::string back;
    EXPECT_TRUE(page.to_host(disc, back));
    EXPECT_EQ(back, c.utf8);
  }
  // Codes that share a character decode to it; it encodes to one of them.
  std::string text;
  EXPECT_TRUE(page.to_host("\xEE\xEF", text));
  EXPECT_EQ(text, "\u2170");
  text.clear();
  EXPECT_FALSE(page.to_host("\x82\xFF\x81", text));  // no character; a lead byte at the end
  EXPECT_EQ(text, "\uFFFD\uFFFD");
}

TEST(CodePage932, DoubleByteRules) {
  const DiscCodePage &page = DiscCodePage::code_page_932();
  // ａ ｂ ε ё ⅰ (both codes) upper-cased; Ｂ (82 61) keeps its trail byte
  // "a"; ｱ and あ have no case.
  EXPECT_EQ(page.upper_case_name("a\x82\x81\x82\x82\x83\xC3\x84\x76\xEE\xEF\xFA\x40\x82\x61\xB1\x82\xA0"),
            "A\x82\x60\x82\x61\x83\xA3\x84\x46\x87\x54\x87\x54\x82\x61\xB1\x82\xA0");
  EXPECT_FALSE(page.has_backslash("\x83\x5C\x95\x5C"));
  EXPECT_TRUE(page.has_backslash("\x83\x5C\\"));
  std::vector<uint8_t> field(4, 0xFF);
  EXPECT_EQ(page.copy_whole_characters("a\x82\xA0\x83\x5C", field), 3u);  // ソ would not fit whole
  EXPECT_EQ(field, (std::vector<uint8_t>{'a', 0x82, 0xA0, 0}));
}

}  // namespace
}  // namespace qorv
