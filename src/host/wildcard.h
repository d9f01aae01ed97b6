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
  void add(std::string_view pattern);
  size_t size() const { return patterns_.size(); }

  class Cursor {
  public:
    // Patterns that match every continuation of the prefix (ascending).
    const std::vector<uint32_t> &certain() const { return certain_; }
    // Patterns whose outcome depends on the rest of the path (ascending).
    const std::vector<uint32_t> &open() const { return open_; }

  private:
    friend class WildcardSet;
    std::vector<uint64_t> state_;  // per pattern: active words, then loop words
    std::vector<uint32_t> certain_;
    std::vector<uint32_t> open_;
  };

  // The states before any character.
  Cursor start() const;
  // `to` = the states of `from` after `text`.
  void advance(const Cursor &from, std::string_view text, Cursor &to) const;
  // Whether pattern `p`, open at `from`, matches the prefix followed by `rest`.
  bool matches(const Cursor &from, uint32_t p, std::string_view rest) const;
  // Whether pattern `p` matches the whole `path`.
  bool matches(uint32_t p, std::string_view path) const;

private:
  struct Compiled {
    size_t words;
    size_t table;   // offset of its masks in `masks_`
    size_t state;   // offset of its states in a cursor
  };
  // Masks of a pattern at `table`: star, accept, all-star tail, then one per
  // byte value (positions that match it); each `words` long.
  const uint64_t *star(const Compiled &c) const { return &masks_[c.table]; }
  const uint64_t *accept(const Compiled &c) const { return &masks_[c.table + c.words]; }
  const uint64_t *tail(const Compiled &c) const { return &masks_[c.table + 2 * c.words]; }
  const uint64_t *match(const Compiled &c, unsigned char b) const {
    return &masks_[c.table + (3 + b) * c.words];
  }
  // Runs `text` on the states at `active`/`loop`; false when the pattern died.
  bool run(const Compiled &c, uint64_t *active, uint64_t *loop, std::string_view text) const;

  std::vector<Compiled> patterns_;
  std::vector<uint64_t> masks_;
  std::vector<std::vector<bool>> last_byte_;  // bytes a matching path can end with; empty: any
  size_t state_words_ = 0;
};

// One pattern, matched against whole paths.
class WildcardPattern {
public:
  explicit WildcardPattern(std::string_view pattern) : text_(pattern) { set_.add(pattern); }
  bool matches(std::string_view path) const { return set_.matches(0, path); }
  const std::string &text() const { return text_; }

private:
  std::string text_;
  WildcardSet set_;
};

bool wildcard_match(std::string_view path, std::string_view pattern);

}  // namespace qorv
