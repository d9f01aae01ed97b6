#include "match/double_byte_match.h"

#include <algorithm>

#include "host/name_case.h"

namespace qorv {

namespace {

// The character at `at` as one code (A-Z folded); `at` moves past it.
uint16_t next_character(const DoubleByteRules &rules, std::string_view text, size_t &at) {
  const auto b = static_cast<unsigned char>(text[at]);
  if (rules.character_length(text, at) == 2) {
    const auto trail = static_cast<unsigned char>(text[at + 1]);
    at += 2;
    return static_cast<uint16_t>(b << 8 | trail);
  }
  ++at;
  return lower_case_byte(b);
}

}  // namespace

std::string double_byte_folded(const DoubleByteRules &rules, std::string_view text) {
  std::string folded(text);
  for (size_t at = 0; at < folded.size(); at += rules.character_length(folded, at))
    folded[at] = lower_case_byte(folded[at]);
  return folded;
}

bool holds_double_byte(const DoubleByteRules &rules, std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (rules.lead[static_cast<unsigned char>(text[i])]) return true;
  return false;
}

DoubleBytePattern::DoubleBytePattern(const DoubleByteRules &rules, std::string_view pattern) : rules_(&rules) {
  for (size_t at = 0; at < pattern.size();) {
    if (pattern[at] == '*' || pattern[at] == '?') {
      tokens_.push_back({pattern[at] == '*' ? Kind::Star : Kind::Any, 0});
      ++at;
    } else {
      tokens_.push_back({Kind::Literal, next_character(rules, pattern, at)});
    }
  }
  one_word_ = tokens_.size() < 64;
  if (!one_word_) return;
  for (size_t j = 0; j < tokens_.size(); ++j) {
    const uint64_t bit = uint64_t{1} << j;
    if (tokens_[j].kind == Kind::Star) stars_ |= bit;
    if (tokens_[j].kind == Kind::Any) anys_ |= bit;
    if (tokens_[j].kind == Kind::Literal) literals_.emplace_back(tokens_[j].code, bit);
  }
  std::sort(literals_.begin(), literals_.end());
  size_t kept = 0;  // one entry per character, its bits together
  for (size_t i = 0; i < literals_.size(); ++i) {
    if (kept > 0 && literals_[kept - 1].first == literals_[i].first)
      literals_[kept - 1].second |= literals_[i].second;
    else
      literals_[kept++] = literals_[i];
  }
  literals_.resize(kept);
}

// The same automaton as WildcardSet's, one character a step: state j means
// "the pattern from token j must match the rest of the path"; loop j means
// "the star at j has taken one character or more". A path that ends is
// accepted when an active state is the pattern's end or a star.
bool DoubleBytePattern::matches(std::string_view path) const {
  if (!one_word_) return matches_by_steps(path);
  uint64_t active = 1, loop = 0;
  for (size_t at = 0; at < path.size();) {
    const uint16_t c = next_character(*rules_, path, at);
    uint64_t match = anys_;
    auto it = std::lower_bound(literals_.begin(), literals_.end(), std::pair<uint16_t, uint64_t>{c, 0});
    if (it != literals_.end() && it->first == c) match |= it->second;
    loop |= active & stars_;
    active = ((active & match) << 1) | (loop << 1);
    if ((active | loop) == 0) return false;
  }
  return (active & (stars_ | uint64_t{1} << tokens_.size())) != 0;
}

// The same, a byte per state, for patterns of 64 tokens or more.
bool DoubleBytePattern::matches_by_steps(std::string_view path) const {
  const size_t m = tokens_.size();
  std::vector<uint8_t> active(m + 1, 0), loop(m + 1, 0), next(m + 1, 0);
  active[0] = 1;
  for (size_t at = 0; at < path.size();) {
    const uint16_t c = next_character(*rules_, path, at);
    bool alive = false;
    std::fill(next.begin(), next.end(), uint8_t{0});
    for (size_t j = 0; j < m; ++j) {
      const Token &t = tokens_[j];
      if (active[j] && t.kind == Kind::Star) loop[j] = 1;
      if (loop[j] || (active[j] && (t.kind == Kind::Any || (t.kind == Kind::Literal && t.code == c)))) {
        next[j + 1] = 1;
        alive = true;
      }
      alive = alive || loop[j];
    }
    active.swap(next);
    if (!alive) return false;
  }
  for (size_t j = 0; j <= m; ++j)
    if (active[j] && (j == m || tokens_[j].kind == Kind::Star)) return true;
  return false;
}

}  // namespace qorv
