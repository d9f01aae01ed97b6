// The token kinds of the description language, numbered as the parser knows
// them, and the value a token carries.
#pragma once

#include <cstdint>
#include <string>

#include "core/keyword_table.h"

namespace qorv {

enum TokenKind : int {
  EOFD = 258,     // end of the file; the stream ends with it, never with 0
  UNKOWN = 259,   // a character that starts no token
  COMMA = 260,
  PLUS = 261,
  MINUS = 262,    // "-" not followed by a digit
  COLON = 263,
  ASSIGN = 264,
  AT = 265,       // no grammar rule uses it
  LBRACE = 266,
  RBRACE = 267,
  KEYWORD = TOKEN_KEYWORD,  // 268
  STRING = 269,
  SYMBOL = 270,   // an identifier that is no keyword
  VALUE = 271,    // a number
  SPECIAL = TOKEN_SPECIAL,  // 272
};

// One slot for every token kind. Trivially copyable, so the parser's stacks
// can be moved as raw memory; `text` points to storage owned elsewhere.
struct TokenValue {
  const std::string *text = nullptr;     // STRING, SYMBOL, and VALUE as written
  const KeywordRecord *record = nullptr; // KEYWORD, SPECIAL
  int64_t number = 0;                    // VALUE
};

}  // namespace qorv
