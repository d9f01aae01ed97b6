// Pattern matching of disc paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "host/code_page_932.h"
#include "match/wildcard.h"
#include "support/wildcard_reference.h"

namespace qorv {
namespace {

using test::reference_match;

TEST(Wildcard, Examples) {
  EXPECT_TRUE(wildcard_match("anything", "*"));
  EXPECT_TRUE(wildcard_match("", "*"));
  EXPECT_TRUE(wildcard_match("A", "A*"));
  EXPECT_TRUE(wildcard_match("Abc", "A*"));
  EXPECT_FALSE(wildcard_match("A", "*A"));  // a star takes at least one character
  EXPECT_TRUE(wildcard_match("DATA\\A.bin", "*.BIN"));
  EXPECT_FALSE(wildcard_match(".bin", "*.BIN"));
  EXPECT_TRUE(wildcard_match("DATA\\x.bin", "DATA\\?.BIN"));
  EXPECT_FALSE(wildcard_match("DATA\\xy.bin", "DATA\\?.BIN"));
  EXPECT_FALSE(wildcard_match("", "?"));
  EXPECT_TRUE(wildcard_match("ABC", "abc"));
  EXPECT_FALSE(wildcard_match("abc", "ab"));
  EXPECT_FALSE(wildcard_match("ab", "abc"));
  EXPECT_TRUE(wildcard_match("\xe9t\xe9", "\xe9T\xe9"));
  EXPECT_FALSE(wildcard_match("\xc9", "\xe9"));  // high bytes match only themselves
  // At the end of the path a star accepts whatever pattern text follows it.
  EXPECT_TRUE(wildcard_match("A", "A*B"));
  EXPECT_TRUE(wildcard_match("xaa", "*a*bc"));
}

TEST(Wildcard, LetterCaseOfEveryByte) {
  // Only A-Z and a-z are equal across case; paths long enough to be folded
  // eight bytes at a time, and a tail.
  auto folded = [](int b) { return (b >= 'A' && b <= 'Z') ? b + 32 : b; };
  for (int b = 1; b < 256; ++b) {
    if (b == '*' || b == '?') continue;
    const std::string path(11, static_cast<char>(b));
    for (int c = 1; c < 256; ++c) {
      if (c == '*' || c == '?') continue;
      const std::string literal(11, static_cast<char>(c));
      ASSERT_EQ(wildcard_match(path, "*" + literal.substr(1)), folded(b) == folded(c)) << b << " " << c;
    }
  }
}

TEST(Wildcard, ManyStarsStayFast) {
  std::string pattern(1000, '*');
  std::string path(300, 'a');
  EXPECT_TRUE(wildcard_match(path, pattern));      // the end of the path comes at a star
  // A star followed by a letter the path lacks: no star is open at the end.
  EXPECT_FALSE(wildcard_match(path, "*b" + pattern));
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "*a";
  EXPECT_FALSE(wildcard_match(std::string(200, 'a') + "b", deep + "c"));
}

TEST(Wildcard, AgreesWithTheDefinition) {
  std::mt19937 rng(12345);
  const char alphabet[] = {'a', 'A', 'b', '\\', '.', '*', '?'};
  auto random_text = [&](size_t max_len, int symbols) {
    std::string s(rng() % (max_len + 1), ' ');
    for (char &c : s) c = alphabet[rng() % symbols];
    return s;
  };
  for (int i = 0; i < 200000; ++i) {
    std::string path = random_text(8, 5);      // no wildcard characters in paths
    std::string pattern = random_text(7, 7);
    ASSERT_EQ(wildcard_match(path, pattern), reference_match(path.c_str(), pattern.c_str()))
        << "path '" << path << "' pattern '" << pattern << "'";
  }
}

TEST(Wildcard, CompiledPatternOverLongPaths) {
  // More than 64 pattern positions: the multi-word state sets.
  std::string pattern;
  for (int i = 0; i < 30; ++i) pattern += "*\\";
  pattern += "*.dat";
  std::string path;
  for (int i = 0; i < 30; ++i) path += "d" + std::to_string(i) + "\\";
  WildcardPattern compiled(pattern);
  EXPECT_TRUE(compiled.matches(path + "x.DAT"));
  EXPECT_FALSE(compiled.matches(path + "x.da"));
  EXPECT_EQ(compiled.matches("a\\b"), reference_match("a\\b", pattern.c_str()));
}

TEST(WildcardSet, CursorsAgreeWithWholePathMatching) {
  // Paths cut at random points: the highest matching pattern above every
  // threshold, found from the states after the prefix, must agree with
  // matching the whole path by the definition. Patterns share leading
  // literal text, so some leave it inside the prefix, some inside the rest
  // and some at the cut.
  std::mt19937 rng(777);
  const char alphabet[] = {'a', 'B', '\\', '.', '*', '?'};
  auto random_text = [&](size_t max_len, int symbols) {
    std::string s(rng() % (max_len + 1), ' ');
    for (char &c : s) c = alphabet[rng() % symbols];
    return s;
  };
  for (int round = 0; round < 1500; ++round) {
    std::vector<std::string> patterns;
    for (int i = 0; i < 8; ++i) patterns.push_back(random_text(7, 6));
    for (int i = 0; i < 6; ++i) patterns.push_back(random_text(6, 4) + random_text(3, 6));
    for (int i = 0; i < 6; ++i) patterns.push_back("*" + random_text(6, 5));  // stars, no "?"
    patterns.push_back(patterns[rng() % patterns.size()]);  // the same text twice
    patterns.push_back(std::string(70, '?') + "*");  // more than one word of states
    patterns.push_back(std::string(60, '*') + random_text(8, 6));
    patterns.push_back(random_text(3, 4) + std::string(130, '*') + random_text(4, 6));  // three words
    std::shuffle(patterns.begin(), patterns.end(), rng);
    std::string path = random_text(10, 4);
    const size_t cut = rng() % (path.size() + 1);
    const size_t cut2 = cut + rng() % (path.size() - cut + 1);
    std::vector<bool> expected(patterns.size());
    for (size_t p = 0; p < patterns.size(); ++p) expected[p] = reference_match(path.c_str(), patterns[p].c_str());

    // Every leading part of the list as a set of its own, so that each
    // pattern is the highest of one set.
    for (size_t count = 1; count <= patterns.size(); ++count) {
      WildcardSet set(std::vector<std::string>(patterns.begin(), patterns.begin() + static_cast<std::ptrdiff_t>(count)));
      WildcardSet::Cursor at_cut, at_cut2;
      set.advance(set.start(), std::string_view(path).substr(0, cut), at_cut);
      set.advance(at_cut, std::string_view(path).substr(cut, cut2 - cut), at_cut2);  // a second step
      const uint32_t top = static_cast<uint32_t>(count - 1);
      ASSERT_EQ(set.matches(top, path), expected[top]) << path << " / " << patterns[top];
      WildcardSet::Rest scratch;
      for (int64_t above = -1; above < static_cast<int64_t>(count); ++above) {
        int64_t want = -1;
        for (auto p = static_cast<int64_t>(count); p-- > above + 1;)
          if (expected[static_cast<size_t>(p)]) {
            want = p;
            break;
          }
        ASSERT_EQ(set.last_match(at_cut, path, scratch, above), want)
            << path << " / " << patterns[static_cast<size_t>(std::max<int64_t>(want, 0))] << " cut " << cut
            << " above " << above;
        ASSERT_EQ(set.last_match(at_cut2, path, scratch, above), want)
            << path << " cuts " << cut << ", " << cut2 << " above " << above;
      }
    }
  }
}

TEST(WildcardSet, LiteralRunAcrossTheStateWords) {
  // The run "abcdefgh" takes pattern places 60 to 67, across the first
  // and second 64-bit word of states; the directory ends inside it.
  const std::string pattern = "*" + std::string(56, 'y') + "?y*abcdefgh";  // "?": states in the cursor
  WildcardSet set(std::vector<std::string>{pattern});
  const std::string dir = "x" + std::string(56, 'y') + "zyxabcdef";
  WildcardSet::Cursor inside;
  set.advance(set.start(), dir, inside);
  WildcardSet::Rest scratch;
  EXPECT_EQ(set.last_match(inside, dir + "gh", scratch), 0);
  EXPECT_EQ(set.last_match(inside, dir + "ghi", scratch), -1);
  EXPECT_EQ(set.last_match(inside, dir + "g", scratch), -1);
  EXPECT_EQ(reference_match((dir + "gh").c_str(), pattern.c_str()), true);
  EXPECT_EQ(reference_match((dir + "g").c_str(), pattern.c_str()), false);
}

TEST(WildcardSet, ManyExactNamesSharingDirectories) {
  // Exact names are found through their shared leading text; a name that
  // is a prefix of another matches only the path that ends there.
  std::vector<std::string> patterns = {"DIR\\SUB\\A.BIN", "dir\\sub\\a.bin.old", "DIR\\SUB\\B*",
                                       "dir\\sub\\a.bin", "DIR\\S", "DIR\\SUB\\?.BIN", "dir\\sub"};
  WildcardSet set(patterns);
  WildcardSet::Cursor dir, sub;
  set.advance(set.start(), "Dir\\", dir);
  set.advance(dir, "Sub\\", sub);
  WildcardSet::Rest scratch;
  EXPECT_EQ(set.last_match(sub, "Dir\\Sub\\a.bin", scratch), 5);
  EXPECT_EQ(set.last_match(sub, "Dir\\Sub\\a.bin", scratch, 4), 5);
  EXPECT_EQ(set.last_match(sub, "Dir\\Sub\\A.BIN", scratch, 3), 5);
  EXPECT_EQ(set.last_match(sub, "Dir\\Sub\\a.bin.old", scratch), 1);
  EXPECT_EQ(set.last_match(sub, "Dir\\Sub\\b", scratch), 2);  // the path ends at the star
  EXPECT_EQ(set.last_match(sub, "Dir\\Sub\\c.bin", scratch), 5);
  EXPECT_EQ(set.last_match(sub, "Dir\\Sub\\cc.bin", scratch), -1);
  EXPECT_EQ(set.last_match(dir, "Dir\\sub", scratch), 6);
  EXPECT_EQ(set.last_match(dir, "Dir\\s", scratch), 4);
  EXPECT_EQ(set.last_match(dir, "Dir\\su", scratch), -1);
}

TEST(WildcardSet, DoubleByteCharactersMatchWhole) {
  // Random paths and patterns over characters of code page 932, some of two
  // bytes (ソ 83 5C and 表 95 5C end with a backslash's byte, Ｂ 82 61 with
  // an "a"); each character spelled as one byte for the definition. A
  // pattern of more than 64 characters runs on more than one word.
  struct Character {
    const char *bytes;
    char single;
  };
  const Character alphabet[] = {{"a", 'a'},          {"A", 'A'},          {"\\", '\\'},
                                {"\x83\x5C", '\x81'}, {"\x95\x5C", '\x82'}, {"\x82\x61", '\x83'},
                                {"\xB1", '\xB1'}};
  std::mt19937 random(26);
  auto text = [&](size_t length, bool wild, std::string &single) {
    std::string bytes;
    for (size_t i = 0; i < length; ++i) {
      const size_t k = random() % (wild ? 9 : 7);
      const Character c = k < 7 ? alphabet[k] : Character{k == 7 ? "*" : "?", k == 7 ? '*' : '?'};
      bytes += c.bytes;
      single += c.single;
    }
    return bytes;
  };
  for (int round = 0; round < 300; ++round) {
    std::string single_pattern;
    const std::string pattern = text(round % 50 == 0 ? 70 : random() % 7, true, single_pattern);
    WildcardSet set(&CodePage932::get().rules());
    set.add(pattern);
    const WildcardSet::Cursor start = set.start();
    WildcardSet::Rest rest;
    for (int k = 0; k < 20; ++k) {
      std::string single_path;
      const std::string path = text(random() % (round % 50 == 0 ? 80 : 8), false, single_path);
      const bool expected = test::reference_match(single_path.c_str(), single_pattern.c_str());
      EXPECT_EQ(set.matches(0, path), expected) << pattern << " " << path;
      EXPECT_EQ(set.last_match(start, path, rest), expected ? 0 : -1) << pattern << " " << path;
    }
  }
}

}  // namespace
}  // namespace qorv
