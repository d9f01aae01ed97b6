// Pattern matching of disc paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "host/wildcard.h"
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
  // Paths cut at random points: matching from the states after the prefix,
  // the patterns found certain, and the ones dropped as dead must all agree
  // with matching the whole path by the definition.
  std::mt19937 rng(777);
  const char alphabet[] = {'a', 'B', '\\', '.', '*', '?'};
  auto random_text = [&](size_t max_len, int symbols) {
    std::string s(rng() % (max_len + 1), ' ');
    for (char &c : s) c = alphabet[rng() % symbols];
    return s;
  };
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> patterns;
    for (int i = 0; i < 8; ++i) patterns.push_back(random_text(7, 6));
    patterns.push_back(std::string(70, '?') + "*");  // more than one word of states
    patterns.push_back(std::string(60, '*') + random_text(8, 6));
    patterns.push_back(std::string(130, '*') + random_text(4, 6));  // three words
    WildcardSet set(patterns);
    std::string path = random_text(10, 4);
    size_t cut = rng() % (path.size() + 1);
    WildcardSet::Cursor at_cut;
    set.advance(set.start(), std::string_view(path).substr(0, cut), at_cut);

    WildcardSet::Rest rest;
    rest.assign(std::string_view(path).substr(cut));
    for (uint32_t p = 0; p < patterns.size(); ++p) {
      bool expected = reference_match(path.c_str(), patterns[p].c_str());
      ASSERT_EQ(set.matches(p, path), expected) << path << " / " << patterns[p];
      if (expected && !path.empty()) {  // a matching pattern is never left out of the candidates
        const auto &candidates = set.candidates(static_cast<unsigned char>(path.back()));
        ASSERT_NE(std::find(candidates.begin(), candidates.end(), p), candidates.end()) << path << " / " << patterns[p];
      }
      const auto &certain = at_cut.certain();
      const auto &open = at_cut.open();
      bool is_certain = std::find(certain.begin(), certain.end(), p) != certain.end();
      auto in_open = std::find(open.begin(), open.end(), p);
      if (is_certain)
        ASSERT_TRUE(expected) << path << " / " << patterns[p] << " cut " << cut;
      else if (in_open != open.end())
        ASSERT_EQ(set.matches(at_cut, static_cast<size_t>(in_open - open.begin()), rest), expected)
            << path << " / " << patterns[p] << " cut " << cut;
      else
        ASSERT_FALSE(expected) << path << " / " << patterns[p] << " cut " << cut;
    }
  }
}

}  // namespace
}  // namespace qorv
