#include "host/wildcard.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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

// Copies `text` to `out` with A-Z folded, eight bytes at a time: a byte
// is upper case when its low seven bits are 0x41..0x5A and its top bit is clear.
void fold_into(std::string_view text, char *out) {
  constexpr uint64_t high = 0x8080808080808080u;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t x;
    std::memcpy(&x, text.data() + i, 8);
    const uint64_t low = x & ~high;
    const uint64_t from_a = low + 0x3F3F3F3F3F3F3F3Fu;   // top bit set from 0x41 on
    const uint64_t after_z = low + 0x2525252525252525u;  // top bit set from 0x5B on
    x |= (from_a & ~after_z & ~x & high) >> 2;           // 0x80 >> 2 = 0x20
    std::memcpy(out + i, &x, 8);
  }
  for (; i < text.size(); ++i) out[i] = static_cast<char>(fold(static_cast<unsigned char>(text[i])));
}

// One of `bytes` (folded) that a file name is least likely to hold, or -1:
// letters and digits are common, "." and "_" more so, the others rare.
int rarest_byte(const std::array<uint64_t, 4> &bytes) {
  constexpr uint64_t digits = uint64_t{0x3FF} << '0';
  constexpr uint64_t dot = uint64_t{1} << '.';
  constexpr uint64_t letters = uint64_t{0x3FFFFFF} << ('a' - 64);
  constexpr uint64_t underscore = uint64_t{1} << ('_' - 64);
  const std::array<uint64_t, 4> rare = {bytes[0] & ~(digits | dot), bytes[1] & ~(letters | underscore), bytes[2], bytes[3]};
  const std::array<uint64_t, 4> common = {bytes[0] & digits, bytes[1] & letters, 0, 0};
  for (const auto &set : {rare, common, bytes})
    for (size_t w = 0; w < 4; ++w)
      if (set[w]) return static_cast<int>(w * 64 + static_cast<size_t>(std::countr_zero(set[w])));
  return -1;
}

void set_bit(uint64_t *words, size_t bit) { words[bit / 64] |= uint64_t{1} << (bit % 64); }

bool has_byte(const std::array<uint64_t, 4> &set, unsigned char b) { return (set[b / 64] >> (b % 64)) & 1; }

bool any_common(const uint64_t *a, const uint64_t *b, size_t words) {
  for (size_t w = 0; w < words; ++w)
    if (a[w] & b[w]) return true;
  return false;
}

}  // namespace

template <class F>
void WildcardSet::each_last_byte(const Compiled &c, F &&f) {
  for (size_t w = 0; w < 4; ++w)
    for (uint64_t bits = c.last_byte[w]; bits != 0; bits &= bits - 1)
      f(static_cast<unsigned char>(w * 64 + static_cast<size_t>(std::countr_zero(bits))));
}

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

void WildcardSet::compile() {
  if (compiled_) return;
  compiled_ = true;

  byte_class_.fill(0);
  classes_ = 1;
  // Exact names are never run: they are compared through the literal
  // range, so they need no tables (and give no byte a class of its own).
  auto is_exact = [](std::string_view text) { return !text.empty() && text.find_first_of("*?") == std::string_view::npos; };
  std::array<uint8_t, 256> folded_class{};
  for (const std::string &text : texts_)
    if (!is_exact(text))
      for (char ch : text) {
      const unsigned char f = fold(static_cast<unsigned char>(ch));
      if (ch != '*' && ch != '?' && folded_class[f] == 0) folded_class[f] = static_cast<uint8_t>(classes_++);
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
    }

    if (!c.exact) fill_masks(c, pattern, folded_class);

    // The bytes a matching path can end with: the last byte moves an active
    // state onto an accepting one (the end, or a star). A star followed by
    // the end or by another star accepts after any byte.
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
    for (size_t j = 0; j < m;) {
      if (pattern[j] == '*') {
        ++j;
        continue;
      }
      size_t end = pattern.find('*', j);
      if (end == std::string::npos) end = m;
      std::string folded = pattern.substr(j, end - j);
      if (folded.find('?') != std::string::npos)
        folded.clear();
      else
        for (char &ch : folded) ch = static_cast<char>(fold(static_cast<unsigned char>(ch)));
      c.segments.push_back({j, std::move(folded)});
      j = end;
    }
    for (size_t j = m, n = 0; j-- > 0 && n < 4 && pattern[j] != '*' && pattern[j] != '?'; ++n) {
      c.end_word |= uint32_t{fold(static_cast<unsigned char>(pattern[j]))} << (8 * n);
      c.end_mask |= uint32_t{0xFF} << (8 * n);
    }
    c.bytes_from.assign(c.segments.size() + 1, {});
    for (size_t i = c.segments.size(); i-- > 0;) {
      c.bytes_from[i] = c.bytes_from[i + 1];
      for (char ch : c.segments[i].folded) {
        const auto f = static_cast<unsigned char>(ch);
        c.bytes_from[i][f / 64] |= uint64_t{1} << (f % 64);
      }
    }
    c.literal = std::min(pattern.find_first_of("*?"), m);
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
  // Sorted by literal text, a text before its continuations, so the
  // patterns that continue a prefix are one range and those whose text ends
  // at the prefix come first in it.
  std::sort(prefixes_.begin(), prefixes_.end(), [&](const Prefix &a, const Prefix &b) {
    const std::string_view ta(prefix_text_.data() + a.offset, a.length), tb(prefix_text_.data() + b.offset, b.length);
    return ta != tb ? ta < tb : a.pattern < b.pattern;
  });
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
  size_t i = c.segments.size();
  while (i > 0 && c.segments[i - 1].start > frontier) --i;
  needs.first_segment = static_cast<uint32_t>(i);
  needs.bytes = c.bytes_from[i];
  if (i == 0) return needs;
  // The run that starts at or before the frontier: when the states are
  // inside it, it must be finished first.
  const Compiled::Segment &run_in = c.segments[i - 1];
  const size_t length = run_in.folded.size();
  if (length == 0 || length >= 64 || frontier >= run_in.start + length) return needs;
  needs.current = static_cast<uint32_t>(i - 1);
  size_t shortest = length;  // bytes left from the furthest place entered
  for (size_t k = 0; k < length; ++k) {
    const size_t bit = run_in.start + k;
    if ((state[bit / 64] >> (bit % 64)) & 1) {
      needs.entered |= uint64_t{1} << k;
      shortest = length - k;
    }
  }
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

template <class Exit>
void WildcardSet::walk_literals(uint32_t &lo, uint32_t &hi, size_t &depth, std::string_view text, Exit &&exit) const {
  const char *base = prefix_text_.data();
  auto byte_at = [&](uint32_t x) { return static_cast<unsigned char>(base[prefixes_[x].offset + depth]); };
  for (size_t i = 0; i < text.size() && lo < hi; ++i) {
    while (lo < hi && prefixes_[lo].length == depth) exit(prefixes_[lo++].pattern, i);
    if (lo == hi) break;
    const unsigned char b = fold(static_cast<unsigned char>(text[i]));
    if (byte_at(lo) != b || byte_at(hi - 1) != b) {
      // The range is sorted by its byte at `depth`: keep the run of `b`.
      uint32_t first = lo, count = hi - lo;
      while (count > 0) {
        const uint32_t half = count / 2;
        if (byte_at(first + half) < b) first += half + 1, count -= half + 1;
        else count = half;
      }
      uint32_t last = first;
      count = hi - first;
      while (count > 0) {
        const uint32_t half = count / 2;
        if (byte_at(last + half) <= b) last += half + 1, count -= half + 1;
        else count = half;
      }
      lo = first;
      hi = last;
    }
    ++depth;
  }
}

void WildcardSet::index_by_last_byte(Cursor &cursor) const {
  cursor.any_.clear();
  cursor.byte_start_.fill(0);
  for (uint32_t k = 0; k < cursor.open_.size(); ++k) {
    const Compiled &c = patterns_[cursor.open_[k]];
    if (c.any_last_byte)
      cursor.any_.push_back(k);
    else
      each_last_byte(c, [&](unsigned char b) { ++cursor.byte_start_[b + 1]; });
  }
  for (size_t b = 0; b < 256; ++b) cursor.byte_start_[b + 1] += cursor.byte_start_[b];
  cursor.by_byte_.resize(cursor.byte_start_[256]);
  std::array<uint32_t, 256> next;
  std::copy_n(cursor.byte_start_.begin(), 256, next.begin());
  for (uint32_t k = 0; k < cursor.open_.size(); ++k) {
    const Compiled &c = patterns_[cursor.open_[k]];
    if (!c.any_last_byte)
      each_last_byte(c, [&](unsigned char b) { cursor.by_byte_[next[b]++] = ending(k, c, b); });
  }

  const size_t words = (cursor.any_.size() + 63) / 64;
  cursor.any_words_ = words;
  cursor.any_always_.assign(words, 0);
  cursor.any_keyed_.assign(256 * words, 0);
  cursor.any_mid_.assign(256 * words, 0);
  for (size_t x = 0; x < cursor.any_.size(); ++x) {
    const Compiled &c = patterns_[cursor.open_[cursor.any_[x]]];
    const std::array<uint64_t, 4> &needed = cursor.needs_[cursor.any_[x]].bytes;
    const uint64_t bit = uint64_t{1} << (x % 64);
    const int key = rarest_byte(needed);
    if (c.mid_any_byte || key < 0) {
      cursor.any_always_[x / 64] |= bit;
      continue;
    }
    cursor.any_keyed_[static_cast<size_t>(key) * words + x / 64] |= bit;
    for (size_t w = 0; w < 4; ++w)
      for (uint64_t mid = c.mid_last_byte[w]; mid != 0; mid &= mid - 1)
        cursor.any_mid_[(w * 64 + static_cast<size_t>(std::countr_zero(mid))) * words + x / 64] |= bit;
  }
}

WildcardSet::Cursor WildcardSet::start() {
  compile();
  Cursor cursor;
  cursor.lo_ = 0;
  cursor.hi_ = static_cast<uint32_t>(prefixes_.size());
  for (uint32_t p = 0; p < patterns_.size(); ++p) {
    if (patterns_[p].literal > 0 || patterns_[p].searched) continue;
    cursor.state_.resize((cursor.open_.size() + 1) * stride_, 0);
    cursor.state_[cursor.open_.size() * stride_] = 1;  // state 0 active
    cursor.open_.push_back(p);
    cursor.needs_.push_back(patterns_[p].after_literal);
  }
  index_by_last_byte(cursor);
  return cursor;
}

void WildcardSet::advance(const Cursor &from, std::string_view text, Cursor &to) const {
  to.open_.clear();
  to.needs_.clear();
  to.state_.clear();
  std::vector<uint32_t> newly_certain;
  // Runs pattern `p` from `initial` (or right after its literal text) over
  // `part`, and keeps it when it is still undecided.
  auto settle = [&](uint32_t p, const uint64_t *initial, std::string_view part) {
    const Compiled &c = patterns_[p];
    const size_t at = to.open_.size() * stride_;
    to.state_.resize(at + stride_);
    uint64_t *active = &to.state_[at];
    uint64_t *loop = active + c.words;
    if (initial)
      std::copy_n(initial, 2 * c.words, active);
    else
      set_bit(active, c.literal);
    if (!run(c, active, loop, part)) {  // can no longer match
      to.state_.resize(at);
      return;
    }
    if (any_common(loop, tail(c), c.words)) {
      newly_certain.push_back(p);  // a star with only stars after it has started
      to.state_.resize(at);
    } else {
      to.open_.push_back(p);
      to.needs_.push_back(needs_of(c, active));
    }
  };
  to.state_.reserve(from.state_.size());
  for (size_t k = 0; k < from.open_.size(); ++k) settle(from.open_[k], &from.state_[k * stride_], text);
  const size_t carried = to.open_.size();

  to.prefix_length_ = from.prefix_length_ + text.size();
  to.folded_prefix_.resize(to.prefix_length_);
  std::copy_n(from.folded_prefix_.data(), from.prefix_length_, to.folded_prefix_.data());
  fold_into(text, to.folded_prefix_.data() + from.prefix_length_);

  to.lo_ = from.lo_;
  to.hi_ = from.hi_;
  to.depth_ = from.depth_;
  walk_literals(to.lo_, to.hi_, to.depth_, text, [&](uint32_t p, size_t i) {
    if (patterns_[p].literal < texts_[p].size()) settle(p, nullptr, text.substr(i));  // an exact name dies here
  });

  if (to.open_.size() > carried && !std::is_sorted(to.open_.begin(), to.open_.end())) {
    // Patterns that left the literal range join the open ones in order.
    std::vector<uint32_t> order(to.open_.size());
    for (uint32_t k = 0; k < order.size(); ++k) order[k] = k;
    std::sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return to.open_[x] < to.open_[y]; });
    std::vector<uint32_t> open(order.size());
    std::vector<Cursor::Needs> needs(order.size());
    std::vector<uint64_t> state(to.state_.size());
    for (size_t k = 0; k < order.size(); ++k) {
      open[k] = to.open_[order[k]];
      needs[k] = to.needs_[order[k]];
      std::copy_n(&to.state_[order[k] * stride_], stride_, &state[k * stride_]);
    }
    to.open_ = std::move(open);
    to.needs_ = std::move(needs);
    to.state_ = std::move(state);
  }
  std::sort(newly_certain.begin(), newly_certain.end());
  to.certain_.resize(from.certain_.size() + newly_certain.size());
  std::merge(from.certain_.begin(), from.certain_.end(), newly_certain.begin(), newly_certain.end(),
             to.certain_.begin());
  index_by_last_byte(to);
}

bool WildcardSet::matches_after_literal(uint32_t p, const Rest &rest, size_t offset) const {
  const Compiled &c = patterns_[p];
  if (!may_match(c, c.after_literal, rest, offset)) return false;
  std::array<uint64_t, 8> small{};
  std::vector<uint64_t> large;
  uint64_t *words = small.data();
  if (2 * c.words > small.size()) {
    large.assign(2 * c.words, 0);
    words = large.data();
  }
  set_bit(words, c.literal);
  return run(c, words, words + c.words, rest.text_.substr(offset)) && any_common(words, accept(c), c.words);
}

bool WildcardSet::search(const Compiled &c, std::string_view path) const {
  const size_t n = path.size();
  size_t end = 0;  // where the literal runs placed so far end
  for (size_t i = 0; i < c.segments.size(); ++i) {
    const Compiled::Segment &segment = c.segments[i];
    const size_t stars = segment.start - (i == 0 ? 0 : c.segments[i - 1].start + c.segments[i - 1].folded.size());
    // The path ends at the first star, or (two stars or more) the first
    // star takes the rest and it ends at the second.
    if (end == n || stars >= 2) return true;
    const std::string_view text = segment.folded;
    const bool ends_with_it = n >= end + 1 + text.size() && path.ends_with(text);
    if (i + 1 == c.segments.size()) return ends_with_it;  // the pattern's end (searched ones end with a literal)
    if (ends_with_it) return true;  // the path ends at the star after it
    const size_t at = path.find(text, end + 1);
    if (at == std::string_view::npos) return false;
    end = at + text.size();
  }
  return true;  // only stars (not searched)
}

int64_t WildcardSet::last_match(const Cursor &from, std::string_view path, Rest &scratch, int64_t above) const {
  const size_t prefix = from.prefix_length_;
  const std::string_view rest = path.substr(prefix);
  int64_t best = above;
  if (!from.certain_.empty()) best = std::max(best, static_cast<int64_t>(from.certain_.back()));
  bool assigned = false;
  auto folded_path = [&]() -> const Rest & {
    if (!assigned) scratch.assign(from, path), assigned = true;
    return scratch;
  };

  // Open patterns, highest first, among those that can end with the path's
  // last byte; the first that matches is the highest.
  auto try_open = [&](uint32_t k) {
    const Compiled &c = patterns_[from.open_[k]];
    if (!may_match(c, from.needs_[k], folded_path(), prefix)) return false;
    std::array<uint64_t, 8> small;
    std::vector<uint64_t> large;
    uint64_t *words = small.data();
    if (2 * c.words > small.size()) {
      large.resize(2 * c.words);
      words = large.data();
    }
    std::copy_n(&from.state_[k * stride_], 2 * c.words, words);
    return run(c, words, words + c.words, rest) && any_common(words, accept(c), c.words);
  };
  // The path's last (up to four) folded bytes, the last one lowest.
  uint32_t end_word = 0, known = 0;
  for (size_t n = 0; n < 4 && n < path.size(); ++n) {
    const size_t at = path.size() - 1 - n;
    const auto b = at < prefix ? static_cast<unsigned char>(from.folded_prefix_[at]) : fold(static_cast<unsigned char>(path[at]));
    end_word |= uint32_t{b} << (8 * n);
    known |= uint32_t{0xFF} << (8 * n);
  }
  auto ends_right = [&](const Cursor::Ending &e) { return (end_word & e.mask & known) == (e.word & e.mask & known); };
  const auto last = static_cast<unsigned char>(end_word);

  if (rest.empty()) {
    for (size_t k = from.open_.size(); k-- > 0 && from.open_[k] > best;)
      if (try_open(static_cast<uint32_t>(k))) {
        best = from.open_[k];
        break;
      }
  } else {
    // The patterns of `any_` worth trying, as a bitset over their places.
    const size_t words = from.any_words_;
    std::array<uint64_t, 8> small{};
    std::vector<uint64_t> large;
    uint64_t *tried = small.data();
    if (words > small.size()) {
      large.assign(words, 0);
      tried = large.data();
    }
    if (words > 0) {
      const uint64_t *mid = &from.any_mid_[last * words];
      for (size_t w = 0; w < words; ++w) tried[w] = from.any_always_[w] | mid[w];
      const std::array<uint64_t, 4> &present = folded_path().present();
      for (size_t pw = 0; pw < 4; ++pw)
        for (uint64_t bits = present[pw]; bits != 0; bits &= bits - 1) {
          const uint64_t *keyed = &from.any_keyed_[(pw * 64 + static_cast<size_t>(std::countr_zero(bits))) * words];
          for (size_t w = 0; w < words; ++w) tried[w] |= keyed[w];
        }
    }
    // Highest first: the next place in `any_` to try, or -1.
    size_t a_word = words;
    uint64_t a_bits = 0;
    auto next_any = [&]() -> int64_t {
      while (a_bits == 0) {
        if (a_word == 0) return -1;
        a_bits = tried[--a_word];
      }
      const int top = 63 - std::countl_zero(a_bits);
      a_bits &= ~(uint64_t{1} << top);
      return static_cast<int64_t>(a_word * 64 + static_cast<size_t>(top));
    };
    int64_t a = next_any();
    size_t b = from.byte_start_[last + 1];
    const size_t b_first = from.byte_start_[last];
    while (a >= 0 || b > b_first) {
      uint32_t k;
      if (b == b_first || (a >= 0 && from.any_[static_cast<size_t>(a)] > from.by_byte_[b - 1].k)) {
        k = from.any_[static_cast<size_t>(a)];
        a = next_any();
      } else {
        const Cursor::Ending &e = from.by_byte_[--b];
        k = e.k;
        if (from.open_[k] > best && !ends_right(e)) continue;
      }
      if (from.open_[k] <= best) break;
      if (try_open(k)) {
        best = from.open_[k];
        break;
      }
    }
  }

  // Searched patterns, highest first, among those the path ends right for.
  // They begin with a star, so an empty path ends at it.
  if (path.empty()) {
    for (size_t p = patterns_.size(); p-- > 0 && static_cast<int64_t>(p) > best;)
      if (patterns_[p].searched) {
        best = static_cast<int64_t>(p);
        break;
      }
  } else {
    for (size_t x = searched_start_[last + 1]; x-- > searched_start_[last];) {
      const Cursor::Ending &e = searched_by_byte_[x];
      if (static_cast<int64_t>(e.k) <= best) break;
      if (ends_right(e) && search(patterns_[e.k], folded_path().folded_)) {
        best = e.k;
        break;
      }
    }
  }

  // Patterns still in their literal text: those that leave it inside the
  // rest are run from there; those whose text ends with the rest accept
  // when the path may end right after it.
  uint32_t lo = from.lo_, hi = from.hi_;
  size_t depth = from.depth_;
  walk_literals(lo, hi, depth, rest, [&](uint32_t p, size_t i) {
    const Compiled &c = patterns_[p];
    if (static_cast<int64_t>(p) <= best || c.literal == texts_[p].size()) return;
    if (!can_end_with(c, static_cast<unsigned char>(rest.back()))) return;
    if (matches_after_literal(p, folded_path(), prefix + i)) best = p;
  });
  for (uint32_t x = lo; x < hi && prefixes_[x].length == depth; ++x)
    if (patterns_[prefixes_[x].pattern].accepts_after_literal)
      best = std::max(best, static_cast<int64_t>(prefixes_[x].pattern));
  return best > above ? best : -1;
}

bool WildcardSet::matches(uint32_t p, std::string_view path) const {
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

WildcardPattern::WildcardPattern(std::string_view pattern) {
  set_.add(pattern);
  set_.start();
}

bool wildcard_match(std::string_view path, std::string_view pattern) {
  return WildcardPattern(pattern).matches(path);
}

}  // namespace qorv
