// Matching of disc paths against patterns with "?" (one character) and "*"
// (one or more characters; at the end of the path also none, whatever
// pattern text follows). Letter case of A-Z is ignored; a backslash is an
// ordinary character, so one pattern reaches into any depth of the tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

// A pattern compiled once and matched against many paths. Runs a bit-parallel
// simulation of the matcher's states, so a match takes time proportional to
// path length x (pattern length / 64), however many stars the pattern holds.
class WildcardPattern {
public:
  explicit WildcardPattern(std::string_view pattern);
  bool matches(std::string_view path) const;
  const std::string &text() const { return text_; }

private:
  std::string text_;
  size_t words_ = 1;
  std::vector<uint64_t> star_;      // positions holding "*"
  std::vector<uint64_t> accept_;    // positions where an exhausted path is accepted
  std::vector<uint64_t> by_char_;   // 256 x words_: positions matching a path byte
};

bool wildcard_match(std::string_view path, std::string_view pattern);

}  // namespace qorv
