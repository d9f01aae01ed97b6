// Wildcard matching of disc paths in a code page whose characters are one or
// two bytes: "?" takes one whole character and "*" whole characters, and
// only single-byte A-Z fold (the trail byte of a double-byte character is
// never taken for a letter). Paths that hold no double-byte character match
// as WildcardSet matches them byte by byte; the others come here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/double_byte_rules.h"

namespace qorv {

class DoubleBytePattern {
public:
  DoubleBytePattern(const DoubleByteRules &rules, std::string_view pattern);
  bool matches(std::string_view path) const;

private:
  enum class Kind : uint8_t { Literal, Any, Star };
  struct Token {
    Kind kind;
    uint16_t code;  // Literal: the character, folded (lead << 8 | trail for two bytes)
  };

  bool matches_by_steps(std::string_view path) const;

  const DoubleByteRules *rules_;
  std::vector<Token> tokens_;
  // Patterns of fewer than 64 tokens run on one word of states: bit j is
  // token j (bit m the end), with the tokens each character matches.
  bool one_word_ = false;
  uint64_t stars_ = 0, anys_ = 0;
  std::vector<std::pair<uint16_t, uint64_t>> literals_;  // by character, ascending
};

// `text` with single-byte A-Z folded to a-z (trail bytes as they are).
std::string double_byte_folded(const DoubleByteRules &rules, std::string_view text);

// True when `text` holds a double-byte character.
bool holds_double_byte(const DoubleByteRules &rules, std::string_view text);

}  // namespace qorv
