#include "host/wildcard.h"

#include <algorithm>
#include <array>

namespace qorv {

// State j means "pattern from j must match the rest of the path"; a loop
// state j means "the star at j has taken one or more characters". For a
// path byte c:
//   loop' = (active & star) | loop
//   active' = ((active & match[c]) << 1) | (loop' << 1)
// and a path that ends is accepted when an active state is the pattern's end
// or a star. This is exactly the recursive definition of the match.

namespace {

unsigned char fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

void set_bit(uint64_t *words, size_t bit) { words[bit / 64] |= uint64_t{1} << (bit % 64); }

bool any_common(const uint64_t *a, const uint64_t *b, size_t words) {
  for (size_t w = 0; w < words; ++w)
    if (a[w] & b[w]) return true;
  return false;
}

}  // namespace

WildcardSet::WildcardSet(const std::vector<std::string> &patterns) {
  for (const std::string &p : patterns) add(p);
}

void WildcardSet::add(std::string_view pattern) {
  const size_t m = pattern.size();
  Compiled c{(m + 1 + 63) / 64, masks_.size(), state_words_};  // states 0..m
  masks_.resize(masks_.size() + (3 + 256) * c.words, 0);
  state_words_ += 2 * c.words;

  uint64_t *star_mask = &masks_[c.table];
  uint64_t *accept_mask = star_mask + c.words;
  uint64_t *tail_mask = star_mask + 2 * c.words;
  set_bit(accept_mask, m);
  bool tail_all_stars = true;
  for (size_t j = m; j-- > 0;) {
    const unsigned char p = static_cast<unsigned char>(pattern[j]);
    if (p == '*') {
      set_bit(star_mask, j);
      set_bit(accept_mask, j);
      if (tail_all_stars) set_bit(tail_mask, j);
      continue;
    }
    tail_all_stars = false;
    for (int b = 0; b < 256; ++b)
      if (p == '?' || fold(static_cast<unsigned char>(b)) == fold(p))
        set_bit(&masks_[c.table + (3 + b) * c.words], j);
  }

  // The bytes a matching path can end with: the last byte moves an active
  // state onto an accepting one (the end, or a star). A star followed by the
  // end or by another star accepts after any byte.
  std::vector<bool> last(256, false);
  bool any_byte = false;
  for (size_t j = 0; j < m; ++j) {
    const bool next_accepts = j + 1 == m || pattern[j + 1] == '*';
    if (!next_accepts) continue;
    if (pattern[j] == '*' || pattern[j] == '?') {
      any_byte = true;
      break;
    }
    const unsigned char p = fold(static_cast<unsigned char>(pattern[j]));
    for (int b = 0; b < 256; ++b)
      if (fold(static_cast<unsigned char>(b)) == p) last[static_cast<size_t>(b)] = true;
  }
  last_byte_.push_back(any_byte ? std::vector<bool>() : std::move(last));
  patterns_.push_back(c);
}

bool WildcardSet::run(const Compiled &c, uint64_t *active, uint64_t *loop, std::string_view text) const {
  const uint64_t *stars = star(c);
  if (c.words == 1) {
    uint64_t a = *active, l = *loop;
    const uint64_t s = *stars;
    for (unsigned char b : text) {
      l |= a & s;
      a = ((a & *match(c, b)) << 1) | (l << 1);
      if ((a | l) == 0) break;
    }
    *active = a;
    *loop = l;
    return (a | l) != 0;
  }

  uint64_t alive = 0;
  for (size_t w = 0; w < c.words; ++w) alive |= active[w] | loop[w];
  for (unsigned char b : text) {
    if (alive == 0) break;
    const uint64_t *m = match(c, b);
    uint64_t carry_a = 0, carry_l = 0;
    alive = 0;
    for (size_t w = 0; w < c.words; ++w) {
      loop[w] |= active[w] & stars[w];
      const uint64_t a = active[w] & m[w];
      const uint64_t next = (a << 1) | carry_a | (loop[w] << 1) | carry_l;
      carry_a = a >> 63;
      carry_l = loop[w] >> 63;
      active[w] = next;
      alive |= next | loop[w];
    }
  }
  return alive != 0;
}

WildcardSet::Cursor WildcardSet::start() const {
  Cursor cursor;
  cursor.state_.assign(state_words_, 0);
  cursor.open_.reserve(patterns_.size());
  for (uint32_t p = 0; p < patterns_.size(); ++p) {
    cursor.state_[patterns_[p].state] = 1;  // state 0 active
    cursor.open_.push_back(p);
  }
  return cursor;
}

void WildcardSet::advance(const Cursor &from, std::string_view text, Cursor &to) const {
  to.state_ = from.state_;
  to.open_.clear();
  std::vector<uint32_t> newly_certain;
  for (uint32_t p : from.open_) {
    const Compiled &c = patterns_[p];
    uint64_t *active = &to.state_[c.state];
    uint64_t *loop = active + c.words;
    if (!run(c, active, loop, text)) continue;  // can no longer match
    if (any_common(loop, tail(c), c.words))
      newly_certain.push_back(p);  // a star with only stars after it has started
    else
      to.open_.push_back(p);
  }
  to.certain_.resize(from.certain_.size() + newly_certain.size());
  std::merge(from.certain_.begin(), from.certain_.end(), newly_certain.begin(), newly_certain.end(),
             to.certain_.begin());
}

bool WildcardSet::matches(const Cursor &from, uint32_t p, std::string_view rest) const {
  const Compiled &c = patterns_[p];
  const std::vector<bool> &last = last_byte_[p];
  if (!rest.empty() && !last.empty() && !last[static_cast<unsigned char>(rest.back())]) return false;

  const uint64_t *state = &from.state_[c.state];
  std::array<uint64_t, 8> small;
  std::vector<uint64_t> large;
  uint64_t *words = small.data();
  if (2 * c.words > small.size()) {
    large.resize(2 * c.words);
    words = large.data();
  }
  std::copy(state, state + 2 * c.words, words);
  return run(c, words, words + c.words, rest) && any_common(words, accept(c), c.words);
}

bool WildcardSet::matches(uint32_t p, std::string_view path) const {
  const Compiled &c = patterns_[p];
  const std::vector<bool> &last = last_byte_[p];
  if (!path.empty() && !last.empty() && !last[static_cast<unsigned char>(path.back())]) return false;

  std::array<uint64_t, 8> small{};
  std::vector<uint64_t> large;
  uint64_t *words = small.data();
  if (2 * c.words > small.size()) {
    large.assign(2 * c.words, 0);
    words = large.data();
  }
  words[0] = 1;  // state 0 active
  return run(c, words, words + c.words, path) && any_common(words, accept(c), c.words);
}

bool wildcard_match(std::string_view path, std::string_view pattern) {
  return WildcardPattern(pattern).matches(path);
}

}  // namespace qorv
