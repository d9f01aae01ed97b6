// Matching of disc paths against patterns with "?" (one character) and "*"
// (one or more characters; at the end of the path also none, whatever
// pattern text follows). Letter case of A-Z is ignored; a backslash is an
// ordinary character, so one pattern reaches into any depth of the tree.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/double_byte_rules.h"
#include "match/double_byte_match.h"

namespace qorv {

// Patterns compiled once and matched against many paths. The matcher's
// states are simulated bit-parallel, so a match takes time proportional to
// path length x (pattern length / 64), however many stars a pattern holds.
//
// Paths of one tree share their directories: a Cursor holds the states of
// the patterns after a common prefix, so the entries of a directory are
// matched from the directory's states on, and a pattern that can no longer
// match (or can no longer fail) below a directory is not run again there.
// Three kinds of pattern are treated apart:
// - exact names and the leading literal text of any pattern are compared
//   through one range of patterns sorted by that text;
// - a pattern that begins with a star, holds no "?" and ends with a literal
//   byte is not carried in cursors: a path that ends with its trailing text
//   is searched for its literal runs;
// - the others have states in the cursors, filed by the bytes a matching
//   path can end with and by a byte that it still needs.
class WildcardSet {
public:
  WildcardSet() = default;
  explicit WildcardSet(const std::vector<std::string> &patterns);
  // Paths and patterns in a code page of double-byte characters (nullptr:
  // every character is a byte, or of bytes 0x80 and above, as in UTF-8): a
  // path that holds one is matched character by character.
  explicit WildcardSet(const DoubleByteRules *double_byte) : double_byte_(double_byte) {}
  // Patterns are added before the first start().
  void add(std::string_view pattern);
  size_t size() const { return texts_.size(); }

  // The states of every pattern after a prefix. While a pattern is still in
  // its leading literal text it is one of a range of patterns sorted by that
  // text (folded), so the many exact names of a description cost one walk of
  // the range, not a state each; from its first wildcard on it has states.
  class Cursor {
  private:
    friend class WildcardSet;
    // Patterns whose leading literal text continues the prefix: `prefixes_`
    // [lo, hi), whose first `depth` bytes are the prefix (folded).
    uint32_t lo_ = 0, hi_ = 0;
    size_t depth_ = 0;
    // The prefix: its length and its folded copy.
    size_t prefix_length_ = 0;
    std::string folded_prefix_;
    std::vector<uint32_t> certain_;  // match every continuation (ascending)
    std::vector<uint32_t> open_;     // past their literal text, still undecided (ascending)
    std::vector<uint64_t> state_;    // per open pattern, `stride_` words: active, then loop
    // Per open pattern: what the rest of a path must hold to reach its end.
    struct Needs {
      uint32_t first_segment = 0;            // the literal runs from this one on
      std::array<uint64_t, 4> bytes{};       // every (folded) byte of those runs
      // The run the states are in (when it holds no "?" and is under 64
      // bytes): it is finished either from one of its `entered` places
      // (bit k: its k-th byte is next), right at the start of the rest, or,
      // when `reenter`, whole anywhere later.
      uint32_t current = UINT32_MAX;
      uint64_t entered = 0;
      bool reenter = false;
    };
    std::vector<Needs> needs_;
    // The open patterns (places in open_, ascending) by the bytes a matching
    // path can end with: `any_` can end with any byte, the others are in
    // `by_byte_` from `byte_start_[b]` to `byte_start_[b + 1]`, each with the
    // last (up to four) bytes such a path must end with.
    struct Ending {
      uint32_t k;
      uint32_t word;  // folded, the last byte lowest
      uint32_t mask;  // the bytes of `word` that count
    };
    std::vector<uint32_t> any_;
    std::vector<Ending> by_byte_;
    std::array<uint32_t, 257> byte_start_{};
    // Which of `any_` (bits by place there, `any_words_` words per set) a
    // path is tried against: `any_always_` always; `any_keyed_[b]` when the
    // rest holds b, a byte they still need; `any_mid_[b]` when the path
    // ends with b, on which they may accept before their end.
    size_t any_words_ = 0;
    std::vector<uint64_t> any_always_;
    std::vector<uint64_t> any_keyed_;
    std::vector<uint64_t> any_mid_;
  };

  // A path to be matched against many patterns, with its letter-folded
  // copy made once.
  class Rest {
  public:
    void assign(std::string_view path);
    // `path` begins with the prefix of `cursor`, whose folded copy is reused.
    void assign(const Cursor &cursor, std::string_view path);

  private:
    friend class WildcardSet;
    // The folded bytes of the path from `from_` (the end of the cursor's
    // prefix) on, gathered on first use.
    const std::array<uint64_t, 4> &present() const;

    std::string_view text_;
    std::string folded_;
    size_t from_ = 0;
    mutable bool present_ready_ = false;
    mutable std::array<uint64_t, 4> present_{};
  };

  // The states before any character (compiles the patterns on first use).
  Cursor start();
  // `to` = the states of `from` after `text`.
  void advance(const Cursor &from, std::string_view text, Cursor &to) const;
  // The highest pattern above `above` that matches `path`, or -1. `path`
  // begins with the prefix whose states `from` holds. `scratch` holds the
  // path's folded copy when a pattern needs it.
  int64_t last_match(const Cursor &from, std::string_view path, Rest &scratch, int64_t above = -1) const;
  // Whether pattern `p` matches the whole `path` (after start()).
  bool matches(uint32_t p, std::string_view path) const;

private:
  struct Compiled {
    size_t words;
    bool exact = false;                 // no wildcard: compared, never run, no masks
    size_t table = 0;                   // offset of its masks in `masks_`
    size_t literal;                     // length of its leading literal text
    bool accepts_after_literal = false; // the path may end right after that text
    bool any_last_byte = false;         // a matching path may end with any byte
    std::array<uint64_t, 4> last_byte{};  // else: the bytes it can end with
    // Bytes a path may end with when it is accepted on a star before the
    // pattern's final stars (all bytes when `mid_any_byte`). Any other path
    // is accepted only at the pattern's end (or its final stars), having
    // matched every literal run (`segments`) that its states have not yet
    // reached, whole and in order.
    bool mid_any_byte = false;
    std::array<uint64_t, 4> mid_last_byte{};
    // Accepted at its end, a path ends with the pattern's trailing literal
    // text: its last (up to four) folded bytes, the last one lowest.
    uint32_t end_word = 0;
    uint32_t end_mask = 0;
    struct Segment {
      size_t start;         // position of its first byte in the pattern
      std::string folded;   // its bytes with A-Z folded; empty when it holds "?"
    };
    std::vector<Segment> segments;
    std::vector<std::array<uint64_t, 4>> bytes_from;  // [i]: the bytes of segments i and later
    Cursor::Needs after_literal;  // the needs of the states right after the literal text
    // Begins with a star, holds no "?" and can end only with the bytes of
    // `last_byte`: not carried in cursors but searched for in the whole
    // path when the path ends right (see `searched_by_byte_`).
    bool searched = false;
  };
  // A pattern's leading literal text (folded) in `prefix_text_`.
  struct Prefix {
    uint32_t offset;
    uint32_t length;
    uint32_t pattern;
  };

  // Whether pattern `c` can match a prefix in `state` followed by `rest`
  // from `offset` on: a cheap refusal before running, by the bytes the path
  // ends with and the literal runs it must still contain.
  bool may_match(const Compiled &c, const Cursor::Needs &needs, const Rest &rest, size_t offset) const;
  Cursor::Needs needs_of(const Compiled &c, const uint64_t *state) const;
  void compile();
  void index_searched();  // fills `searched_by_byte_`
  static void describe_ends(Compiled &c, std::string_view pattern);
  static void split_runs(Compiled &c, std::string_view pattern);
  // The masks of a pattern that is not exact, at `c.table`.
  void fill_masks(const Compiled &c, std::string_view pattern, const std::array<uint8_t, 256> &folded_class);
  // Masks of a pattern at `table`, each `words` long: star, accept, all-star
  // tail, then one per byte class (the positions that match the class).
  const uint64_t *star(const Compiled &c) const { return &masks_[c.table]; }
  const uint64_t *accept(const Compiled &c) const { return &masks_[c.table + c.words]; }
  const uint64_t *tail(const Compiled &c) const { return &masks_[c.table + 2 * c.words]; }
  const uint64_t *match(const Compiled &c, unsigned char b) const {
    return &masks_[c.table + (3 + byte_class_[b]) * c.words];
  }
  bool can_end_with(const Compiled &c, unsigned char b) const;
  // Calls f(b) for every byte b of `c.last_byte`.
  template <class F>
  static void each_last_byte(const Compiled &c, F &&f);
  // The entry of a by-byte index for pattern `c` (known there as `k`) and
  // last byte `b`: a path ending on a star before the final ones need not
  // end with the trailing text.
  static Cursor::Ending ending(uint32_t k, const Compiled &c, unsigned char b);
  // Whether pattern `c`, from `states` (active, then loop) or else from the
  // one active state `active`, accepts at the end of `text`.
  bool accepts(const Compiled &c, const uint64_t *states, size_t active, std::string_view text) const;
  // Runs `text` on the states at `active`/`loop`; false when the pattern died.
  bool run(const Compiled &c, uint64_t *active, uint64_t *loop, std::string_view text) const;
  // Moves the literal range of `cursor` over `text`. Each pattern whose
  // literal text ends before text[i] leaves the range through exit(pattern, i).
  template <class Exit>
  void walk_literals(uint32_t &lo, uint32_t &hi, size_t &depth, std::string_view text, Exit &&exit) const;
  // Whether pattern `p`, right after its literal text, matches the path of
  // `rest` from `offset` on.
  bool matches_after_literal(uint32_t p, const Rest &rest, size_t offset) const;
  // Whether a searched pattern matches the whole folded `path`: its literal
  // runs placed leftmost in turn, each star taking one byte or more.
  bool search(const Compiled &c, std::string_view path) const;
  void index_by_last_byte(Cursor &cursor) const;

  // Paths with double-byte characters: the exact patterns by their folded
  // text (the highest of each text) and the others, each a pattern of its own.
  int64_t double_byte_last_match(std::string_view path, int64_t above) const;
  void compile_double_byte();
  const DoubleByteRules *double_byte_ = nullptr;
  std::unordered_map<std::string, uint32_t> double_byte_exact_;
  std::vector<uint32_t> double_byte_wild_;  // ascending
  std::vector<DoubleBytePattern> double_byte_patterns_;  // by pattern

  std::vector<std::string> texts_;
  bool compiled_ = false;
  // Bytes that no pattern names literally share class 0, so the tables stay
  // small enough to stay in the cache however many patterns there are.
  std::array<uint8_t, 256> byte_class_{};
  size_t classes_ = 1;
  std::vector<Compiled> patterns_;
  std::vector<uint64_t> masks_;
  std::string prefix_text_;
  std::vector<Prefix> prefixes_;  // patterns with leading literal text, sorted by it
  // The searched patterns by the bytes a matching path can end with, as in
  // a cursor (`k` is the pattern).
  std::vector<Cursor::Ending> searched_by_byte_;
  std::array<uint32_t, 257> searched_start_{};
  size_t stride_ = 2;  // state words per pattern in a cursor: twice the widest pattern
};

// One pattern, matched against whole paths.
class WildcardPattern {
public:
  explicit WildcardPattern(std::string_view pattern);
  bool matches(std::string_view path) const { return set_.matches(0, path); }

private:
  WildcardSet set_;
};

bool wildcard_match(std::string_view path, std::string_view pattern);

template <class F>
void WildcardSet::each_last_byte(const Compiled &c, F &&f) {
  for (size_t w = 0; w < 4; ++w)
    for (uint64_t bits = c.last_byte[w]; bits != 0; bits &= bits - 1)
      f(static_cast<unsigned char>(w * 64 + static_cast<size_t>(std::countr_zero(bits))));
}

}  // namespace qorv
