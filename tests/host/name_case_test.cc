// Letter case of disc names.
#include <gtest/gtest.h>

#include <string>

#include "host/name_case.h"
#include "support/test_support.h"

namespace qorv {
namespace {

TEST(NameCase, OnlyLettersChangeCase) {
  // Every byte value, in texts long enough to be handled eight bytes at a
  // time and with a tail. (Windows maps further letters of its code page.)
  for (int b = 0; b < (test::kWindowsHost ? 0x80 : 256); ++b) {
    const std::string text(11, static_cast<char>(b));
    const char upper = (b >= 'a' && b <= 'z') ? static_cast<char>(b - 32) : static_cast<char>(b);
    const char lower = (b >= 'A' && b <= 'Z') ? static_cast<char>(b + 32) : static_cast<char>(b);
    EXPECT_EQ(upper_case_name(text), std::string(11, upper)) << b;
    std::string lowered(text.size(), '\0');
    lower_case_copy(text, lowered.data());
    EXPECT_EQ(lowered, std::string(11, lower)) << b;
  }
  if (!test::kWindowsHost) {
    EXPECT_EQ(upper_case_name("data\\\xc3\xa9t\xc3\xa9_01.bin"), "DATA\\\xc3\xa9T\xc3\xa9_01.BIN");
  }
  EXPECT_EQ(upper_case_name(""), "");
}

}  // namespace
}  // namespace qorv
