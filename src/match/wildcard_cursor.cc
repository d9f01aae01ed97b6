// The cursor side of the matcher: states carried from directory to
// directory, and the search for the highest pattern that matches a path.
#include <algorithm>
#include <array>
#include <bit>

#include "match/wildcard.h"
#include "match/wildcard_bits.h"

namespace qorv {

using namespace wildcard_bits;

namespace {

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

}  // namespace

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
  return may_match(c, c.after_literal, rest, offset) && accepts(c, nullptr, c.literal, rest.text_.substr(offset));
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
  if (double_byte_ && holds_double_byte(*double_byte_, path)) return double_byte_last_match(path, above);
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
    return may_match(c, from.needs_[k], folded_path(), prefix) && accepts(c, &from.state_[k * stride_], 0, rest);
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

}  // namespace qorv
