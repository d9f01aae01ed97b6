// Wildcard matching of disc paths in a code page whose characters are one or
// two bytes: "?" takes one whole character and "*" whole characters, and
// only single-byte A-Z fold (the trail byte of a double-byte character is
// never taken for a letter). Paths that hold no double-byte character match
// as WildcardSet matches them byte by byte; the others come here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

  const DoubleByteRules *rules_;
  std::vector<Token> tokens_;
};

// `text` with single-byte A-Z folded to a-z (trail bytes as they are).
std::string double_byte_folded(const DoubleByteRules &rules, std::string_view text);

// True when `text` holds a double-byte character.
bool holds_double_byte(const DoubleByteRules &rules, std::string_view text);

}  // namespace qorv
