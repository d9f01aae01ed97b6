// Matching of disc paths against patterns with "?" (one character) and "*"
// (one or more characters; at the end of the path also none, whatever
// pattern text follows). Letter case of A-Z is ignored; a backslash is an
// ordinary character, so one pattern reaches into any depth of the tree.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

// Patterns compiled once and matched against many paths. The matcher's
// states are simulated bit-parallel, so a match takes time proportional to
// path length x (pattern length / 64), however many stars a pattern holds.
//
// Paths of one tree share their directories: a Cursor holds the states of
// every pattern after a common prefix, so the entries of a directory are
// matched from the directory's states on, and a pattern that can no longer
// match (or can no longer fail) below a directory is not run again there.
class WildcardSet {
public:
  WildcardSet() = default;
  explicit WildcardSet(const std::vector<std::string> &patterns);
  // Patterns are added before the first start().
  void add(std::string_view pattern);
  size_t size() const { return texts_.size(); }

  class Cursor {
  public:
    // Patterns that match every continuation of the prefix (ascending).
    const std::vector<uint32_t> &certain() const { return certain_; }
    // Patterns whose outcome depends on the rest of the path (ascending).
    const std::vector<uint32_t> &open() const { return open_; }
    // The place of pattern `p` in open(), or NOT_OPEN.
    uint32_t slot(uint32_t p) const { return slot_[p]; }
    static constexpr uint32_t NOT_OPEN = UINT32_MAX;

  private:
    friend class WildcardSet;
    std::vector<uint32_t> certain_;
    std::vector<uint32_t> open_;
    std::vector<uint32_t> slot_;   // per pattern: its place in open_, or NOT_OPEN
    std::vector<uint64_t> state_;  // per open pattern, `stride_` words: active, then loop
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
  };

  // The rest of a path to be matched against many patterns, with its
  // letter-folded copy made once.
  class Rest {
  public:
    void assign(std::string_view text);

  private:
    friend class WildcardSet;
    std::string_view text_;
    std::string folded_;
    std::array<uint64_t, 4> present_{};  // the folded bytes it holds
  };

  // The patterns (ascending) that can match a path whose last byte is `b`;
  // the others need not be tried.
  const std::vector<uint32_t> &candidates(unsigned char b) const { return by_last_byte_[b]; }

  // The states before any character (compiles the patterns on first use).
  Cursor start();
  // `to` = the states of `from` after `text`.
  void advance(const Cursor &from, std::string_view text, Cursor &to) const;
  // Whether the pattern `from.open()[k]` matches the prefix followed by `rest`.
  bool matches(const Cursor &from, size_t k, const Rest &rest) const;
  // Whether pattern `p` matches the whole `path` (after start()).
  bool matches(uint32_t p, std::string_view path) const;

private:
  struct Compiled {
    size_t words;
    size_t table;                       // offset of its masks in `masks_`
    bool any_last_byte = false;         // a matching path may end with any byte
    std::array<uint64_t, 4> last_byte{};  // else: the bytes it can end with
    // Bytes a path may end with when it is accepted on a star before the
    // pattern's final stars (all bytes when `mid_any_byte`). Any other path
    // is accepted only at the pattern's end (or its final stars), having
    // matched every literal run (`segments`) that its states have not yet
    // reached, whole and in order.
    bool mid_any_byte = false;
    std::array<uint64_t, 4> mid_last_byte{};
    struct Segment {
      size_t start;         // position of its first byte in the pattern
      std::string folded;   // its bytes with A-Z folded; empty when it holds "?"
    };
    std::vector<Segment> segments;
  };
  // Whether pattern `c` can match a prefix in `state` followed by `rest`: a
  // cheap refusal before running, by the bytes the path ends with and the
  // literal run it must still contain.
  bool may_match(const Compiled &c, const Cursor::Needs &needs, const Rest &rest) const;
  Cursor::Needs needs_of(const Compiled &c, const uint64_t *state) const;
  void compile();
  // Masks of a pattern at `table`, each `words` long: star, accept, all-star
  // tail, then one per byte class (the positions that match the class).
  const uint64_t *star(const Compiled &c) const { return &masks_[c.table]; }
  const uint64_t *accept(const Compiled &c) const { return &masks_[c.table + c.words]; }
  const uint64_t *tail(const Compiled &c) const { return &masks_[c.table + 2 * c.words]; }
  const uint64_t *match(const Compiled &c, unsigned char b) const {
    return &masks_[c.table + (3 + byte_class_[b]) * c.words];
  }
  // Runs `text` on the states at `active`/`loop`; false when the pattern died.
  bool run(const Compiled &c, uint64_t *active, uint64_t *loop, std::string_view text) const;

  std::vector<std::string> texts_;
  bool compiled_ = false;
  // Bytes that no pattern names literally share class 0, so the tables stay
  // small enough to stay in the cache however many patterns there are.
  std::array<uint8_t, 256> byte_class_{};
  size_t classes_ = 1;
  std::vector<Compiled> patterns_;
  std::vector<uint64_t> masks_;
  std::array<std::vector<uint32_t>, 256> by_last_byte_;
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

}  // namespace qorv
