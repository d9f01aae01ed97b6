// The matcher's patterns: compiling them, and running one over a text.
#include "match/wildcard.h"

#include <algorithm>
#include <array>
#include <bit>

#include "match/wildcard_bits.h"

namespace qorv {

using namespace wildcard_bits;

// State j means "pattern from j must match the rest of the path"; a loop
// state j means "the star at j has taken one or more characters". For a
// path byte c:
//   loop' = (active & star) | loop
//   active' = ((active & match[c]) << 1) | (loop' << 1)
// and a path that ends is accepted when an active state is the pattern's end
// or a star. This is exactly the recursive definition of the match.

WildcardSet::Cursor::Ending WildcardSet::ending(uint32_t k, const Compiled &c, unsigned char b) {
  const bool ends_mid = c.mid_any_byte || has_byte(c.mid_last_byte, b);
  return {k, c.end_word, ends_mid ? 0 : c.end_mask};
}

WildcardSet::WildcardSet(const std::vector<std::string> &patterns) {
  for (const std::string &p : patterns) add(p);
}

void WildcardSet::add(std::string_view pattern) {
  texts_.emplace_back(pattern);
  compiled_ = false;
}

void WildcardSet::fill_masks(const Compiled &c, std::string_view pattern, const std::array<uint8_t, 256> &folded_class) {
  const size_t m = pattern.size();
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
    if (p == '?') {
      for (size_t k = 0; k < classes_; ++k) set_bit(&masks_[c.table + (3 + k) * c.words], j);
    } else {
      set_bit(&masks_[c.table + (3 + folded_class[fold(p)]) * c.words], j);
    }
  }
}

namespace {

// Exact names are never run: they are compared through the literal range,
// so they need no tables (and give no byte a class of its own).
// The length of the text's leading literal part (up to its first wildcard).
// A plain loop: find_first_of searches the set once per character.
size_t literal_length(std::string_view text) {
  size_t n = 0;
  while (n < text.size() && text[n] != '*' && text[n] != '?') ++n;
  return n;
}

bool is_exact(std::string_view text) { return !text.empty() && literal_length(text) == text.size(); }

}  // namespace

// The bytes a matching path can end with: the last byte moves an active
// state onto an accepting one (the end, or a star). A star followed by the
// end or by another star accepts after any byte. Also the trailing literal
// text that a path accepted at the pattern's end ends with.
void WildcardSet::describe_ends(Compiled &c, std::string_view pattern) {
  const size_t m = pattern.size();
  size_t tail = m;  // first star of the stars that end the pattern
  while (tail > 0 && pattern[tail - 1] == '*') --tail;
  for (size_t j = 0; j < m; ++j) {
    const bool next_accepts = j + 1 == m || pattern[j + 1] == '*';
    if (!next_accepts) continue;
    const bool mid = j + 1 < tail;  // onto a star before the final ones
    if (pattern[j] == '*' || pattern[j] == '?') {
      c.any_last_byte = true;
      if (mid) c.mid_any_byte = true;
      continue;
    }
    const unsigned char p = fold(static_cast<unsigned char>(pattern[j]));
    for (unsigned char b : {p, (p >= 'a' && p <= 'z') ? static_cast<unsigned char>(p - 32) : p}) {
      c.last_byte[b / 64] |= uint64_t{1} << (b % 64);
      if (mid) c.mid_last_byte[b / 64] |= uint64_t{1} << (b % 64);
    }
  }
  if (tail < m) c.any_last_byte = true;  // the final stars take any last byte
  for (size_t j = m, n = 0; j-- > 0 && n < 4 && pattern[j] != '*' && pattern[j] != '?'; ++n) {
    c.end_word |= uint32_t{fold(static_cast<unsigned char>(pattern[j]))} << (8 * n);
    c.end_mask |= uint32_t{0xFF} << (8 * n);
  }
}

// The literal runs between the stars, and the bytes of each run and the
// ones after it.
void WildcardSet::split_runs(Compiled &c, std::string_view pattern) {
  const size_t m = pattern.size();
  for (size_t j = 0; j < m;) {
    if (pattern[j] == '*') {
      ++j;
      continue;
    }
    const size_t end = std::min(pattern.find('*', j), m);
    std::string folded(pattern.substr(j, end - j));
    if (folded.find('?') != std::string::npos)
      folded.clear();
    else
      for (char &ch : folded) ch = static_cast<char>(fold(static_cast<unsigned char>(ch)));
    c.segments.push_back({j, std::move(folded)});
    j = end;
  }
  c.bytes_from.assign(c.segments.size() + 1, {});
  for (size_t i = c.segments.size(); i-- > 0;) {
    c.bytes_from[i] = c.bytes_from[i + 1];
    for (char ch : c.segments[i].folded) {
      const auto f = static_cast<unsigned char>(ch);
      c.bytes_from[i][f / 64] |= uint64_t{1} << (f % 64);
    }
  }
}

void WildcardSet::compile() {
  if (compiled_) return;
  compiled_ = true;

  byte_class_.fill(0);
  classes_ = 1;
  std::array<uint8_t, 256> folded_class{};
  for (const std::string &text : texts_) {
    if (is_exact(text)) continue;
    for (char ch : text) {
      const unsigned char f = fold(static_cast<unsigned char>(ch));
      if (ch != '*' && ch != '?' && folded_class[f] == 0) folded_class[f] = static_cast<uint8_t>(classes_++);
    }
  }
  for (int b = 0; b < 256; ++b) byte_class_[b] = folded_class[fold(static_cast<unsigned char>(b))];

  patterns_.clear();
  masks_.clear();
  prefix_text_.clear();
  prefixes_.clear();
  stride_ = 2;
  for (const std::string &pattern : texts_) {
    const size_t m = pattern.size();
    Compiled c;
    c.words = (m + 1 + 63) / 64;  // states 0..m
    c.exact = is_exact(pattern);
    if (!c.exact) {
      c.table = masks_.size();
      masks_.resize(masks_.size() + (3 + classes_) * c.words, 0);
      stride_ = std::max(stride_, 2 * c.words);
      fill_masks(c, pattern, folded_class);
    }
    describe_ends(c, pattern);
    split_runs(c, pattern);
    c.literal = literal_length(pattern);
    c.accepts_after_literal = c.literal == m || pattern[c.literal] == '*';
    std::vector<uint64_t> after(2 * c.words, 0);
    set_bit(after.data(), c.literal);
    c.after_literal = needs_of(c, after.data());
    if (c.literal > 0) {
      prefixes_.push_back({static_cast<uint32_t>(prefix_text_.size()), static_cast<uint32_t>(c.literal),
                           static_cast<uint32_t>(patterns_.size())});
      for (size_t j = 0; j < c.literal; ++j) prefix_text_ += static_cast<char>(fold(static_cast<unsigned char>(pattern[j])));
    }
    c.searched = c.literal == 0 && !c.any_last_byte && pattern.find('?') == std::string::npos;
    patterns_.push_back(std::move(c));
  }
  index_searched();
  if (double_byte_) compile_double_byte();
  // Sorted by literal text, a text before its continuations, so the
  // patterns that continue a prefix are one range and those whose text ends
  // at the prefix come first in it.
  std::sort(prefixes_.begin(), prefixes_.end(), [&](const Prefix &a, const Prefix &b) {
    const std::string_view ta(prefix_text_.data() + a.offset, a.length), tb(prefix_text_.data() + b.offset, b.length);
    const int order = ta.compare(tb);
    return order != 0 ? order < 0 : a.pattern < b.pattern;
  });
}

void WildcardSet::index_searched() {
  searched_start_.fill(0);
  for (const Compiled &c : patterns_)
    if (c.searched) each_last_byte(c, [&](unsigned char b) { ++searched_start_[b + 1]; });
  for (size_t b = 0; b < 256; ++b) searched_start_[b + 1] += searched_start_[b];
  searched_by_byte_.assign(searched_start_[256], {});
  std::array<uint32_t, 256> next;
  std::copy_n(searched_start_.begin(), 256, next.begin());
  for (uint32_t p = 0; p < patterns_.size(); ++p)
    if (patterns_[p].searched)
      each_last_byte(patterns_[p], [&](unsigned char b) { searched_by_byte_[next[b]++] = ending(p, patterns_[p], b); });
}

void WildcardSet::Rest::assign(std::string_view path) {
  text_ = path;
  folded_.resize(path.size());
  fold_into(path, folded_.data());
  from_ = 0;
  present_ready_ = false;
}

void WildcardSet::Rest::assign(const Cursor &cursor, std::string_view path) {
  text_ = path;
  from_ = cursor.prefix_length_;
  folded_.resize(path.size());
  std::copy_n(cursor.folded_prefix_.data(), from_, folded_.data());
  fold_into(path.substr(from_), folded_.data() + from_);
  present_ready_ = false;
}

const std::array<uint64_t, 4> &WildcardSet::Rest::present() const {
  if (!present_ready_) {
    present_.fill(0);
    for (size_t i = from_; i < folded_.size(); ++i) {
      const auto f = static_cast<unsigned char>(folded_[i]);
      present_[f / 64] |= uint64_t{1} << (f % 64);
    }
    present_ready_ = true;
  }
  return present_;
}

// The states have reached at most position `frontier`; every literal run
// that starts beyond it must still be matched whole, after the ones before
// it, for the pattern's end to be reached.
WildcardSet::Cursor::Needs WildcardSet::needs_of(const Compiled &c, const uint64_t *state) const {
  size_t frontier = 0;
  for (size_t w = 0; w < c.words; ++w) {
    const uint64_t active = state[w], loop = state[c.words + w];
    if (active) frontier = std::max(frontier, w * 64 + 63 - static_cast<size_t>(std::countl_zero(active)));
    if (loop) frontier = std::max(frontier, w * 64 + 64 - static_cast<size_t>(std::countl_zero(loop)));
  }
  Cursor::Needs needs;
  // The runs are in pattern order: `i` is the first one after the frontier.
  const size_t i = static_cast<size_t>(
      std::partition_point(c.segments.begin(), c.segments.end(),
                           [&](const Compiled::Segment &segment) { return segment.start <= frontier; }) -
      c.segments.begin());
  needs.first_segment = static_cast<uint32_t>(i);
  needs.bytes = c.bytes_from[i];
  if (i == 0) return needs;
  // The run that starts at or before the frontier: when the states are
  // inside it, it must be finished first.
  const Compiled::Segment &run_in = c.segments[i - 1];
  const size_t length = run_in.folded.size();
  if (length == 0 || length >= 64 || frontier >= run_in.start + length) return needs;
  needs.current = static_cast<uint32_t>(i - 1);
  // The active states inside the run, as bits from its start (under 64 of them).
  const size_t word = run_in.start / 64, shift = run_in.start % 64;
  uint64_t inside = state[word] >> shift;
  if (shift != 0 && word + 1 < c.words) inside |= state[word + 1] << (64 - shift);
  needs.entered = inside & ((uint64_t{1} << length) - 1);
  // Bytes left from the furthest place entered.
  const size_t shortest = needs.entered ? length - (63 - static_cast<size_t>(std::countl_zero(needs.entered))) : length;
  for (size_t w = 0; w * 64 < run_in.start && !needs.reenter; ++w) {
    uint64_t below = state[w] | state[c.words + w];
    if (run_in.start < (w + 1) * 64) below &= (uint64_t{1} << (run_in.start % 64)) - 1;
    needs.reenter = below != 0;
  }
  // However it is finished, its last `shortest` bytes come in the rest.
  for (size_t k = length - shortest; k < length; ++k) {
    const auto f = static_cast<unsigned char>(run_in.folded[k]);
    needs.bytes[f / 64] |= uint64_t{1} << (f % 64);
  }
  return needs;
}

bool WildcardSet::can_end_with(const Compiled &c, unsigned char b) const {
  return c.any_last_byte || has_byte(c.last_byte, b);
}

bool WildcardSet::may_match(const Compiled &c, const Cursor::Needs &needs, const Rest &rest, size_t offset) const {
  if (rest.text_.size() <= offset) return true;
  const unsigned char last = static_cast<unsigned char>(rest.text_.back());
  if (!can_end_with(c, last)) return false;
  if (c.mid_any_byte || has_byte(c.mid_last_byte, last)) return true;  // a star on the way may accept

  // Only the pattern's end can accept: the runs still needed must all be
  // there (the byte test looks at the whole rest, a superset of the part).
  const std::array<uint64_t, 4> &present = rest.present();  // offset is never before from_
  for (size_t w = 0; w < 4; ++w)
    if (needs.bytes[w] & ~present[w]) return false;
  const std::string_view folded = std::string_view(rest.folded_).substr(offset);
  size_t from = 0;
  if (needs.current != UINT32_MAX) {
    // The run the states are in must be finished before the later ones.
    const std::string &segment = c.segments[needs.current].folded;
    size_t done = std::string_view::npos;
    for (uint64_t entered = needs.entered; entered != 0; entered &= entered - 1) {
      const size_t k = static_cast<size_t>(std::countr_zero(entered));
      if (folded.starts_with(std::string_view(segment).substr(k))) done = std::min(done, segment.size() - k);
    }
    if (needs.reenter) {
      const size_t at = folded.find(segment);
      if (at != std::string_view::npos) done = std::min(done, at + segment.size());
    }
    if (done == std::string_view::npos) return false;
    from = done;
  }
  for (size_t i = needs.first_segment; i < c.segments.size(); ++i) {
    const std::string &segment = c.segments[i].folded;
    if (segment.empty()) continue;  // holds "?": not looked for
    const size_t at = folded.find(segment, from);
    if (at == std::string_view::npos) return false;
    from = at + segment.size();
  }
  return true;
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
  if (c.words == 2) {  // most patterns with many stars: states 0..127
    uint64_t a0 = active[0], a1 = active[1], l0 = loop[0], l1 = loop[1];
    const uint64_t s0 = stars[0], s1 = stars[1];
    for (unsigned char b : text) {
      const uint64_t *m = match(c, b);
      l0 |= a0 & s0;
      l1 |= a1 & s1;
      const uint64_t x0 = a0 & m[0], x1 = a1 & m[1];
      a0 = (x0 << 1) | (l0 << 1);
      a1 = (x1 << 1) | (x0 >> 63) | (l1 << 1) | (l0 >> 63);
      if ((a0 | a1 | l0 | l1) == 0) break;
    }
    active[0] = a0, active[1] = a1, loop[0] = l0, loop[1] = l1;
    return (a0 | a1 | l0 | l1) != 0;
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

void WildcardSet::compile_double_byte() {
  double_byte_exact_.clear();
  double_byte_wild_.clear();
  double_byte_patterns_.clear();
  for (uint32_t p = 0; p < texts_.size(); ++p) {
    double_byte_patterns_.emplace_back(*double_byte_, texts_[p]);
    if (is_exact(texts_[p]))
      double_byte_exact_[double_byte_folded(*double_byte_, texts_[p])] = p;  // the later one stays
    else
      double_byte_wild_.push_back(p);
  }
}

int64_t WildcardSet::double_byte_last_match(std::string_view path, int64_t above) const {
  int64_t best = above;
  if (!double_byte_exact_.empty())
    if (auto it = double_byte_exact_.find(double_byte_folded(*double_byte_, path)); it != double_byte_exact_.end())
      best = std::max(best, static_cast<int64_t>(it->second));
  for (size_t k = double_byte_wild_.size(); k-- > 0 && double_byte_wild_[k] > best;)
    if (double_byte_patterns_[double_byte_wild_[k]].matches(path)) return double_byte_wild_[k];
  return best > above ? best : -1;
}

bool WildcardSet::matches(uint32_t p, std::string_view path) const {
  if (double_byte_ && holds_double_byte(*double_byte_, path)) return double_byte_patterns_[p].matches(path);
  const Compiled &c = patterns_[p];
  if (c.exact) {
    if (path.size() != c.segments[0].folded.size()) return false;
    std::string folded(path.size(), '\0');
    fold_into(path, folded.data());
    return folded == c.segments[0].folded;
  }
  std::array<uint64_t, 8> start_state{};  // state 0 active
  start_state[0] = 1;
  if (2 * c.words <= start_state.size()) {
    Rest whole;
    whole.assign(path);
    if (!may_match(c, needs_of(c, start_state.data()), whole, 0)) return false;
  }
  return accepts(c, nullptr, 0, path);
}

bool WildcardSet::accepts(const Compiled &c, const uint64_t *states, size_t active, std::string_view text) const {
  std::array<uint64_t, 8> small{};
  std::vector<uint64_t> large;
  uint64_t *words = small.data();
  if (2 * c.words > small.size()) {
    large.assign(2 * c.words, 0);
    words = large.data();
  }
  if (states)
    std::copy_n(states, 2 * c.words, words);
  else
    set_bit(words, active);
  return run(c, words, words + c.words, text) && any_common(words, accept(c), c.words);
}

WildcardPattern::WildcardPattern(std::string_view pattern) {
  set_.add(pattern);
  set_.start();
}

bool wildcard_match(std::string_view path, std::string_view pattern) {
  return WildcardPattern(pattern).matches(path);
}

}  // namespace qorv
