// The grammar actions of the description language. Each takes the line of
// the definition's last token: its messages are reported there and stored
// items carry it. Order of checks in an action: no section (1000) first,
// then the action's own value checks, then the store's admission.
#pragma once

#include <cstdint>
#include <string>

#include "ddf/parser_context.h"
#include "ddf/token.h"

namespace qorv {

// Action 2, after "[ KEYWORD ]".
void define_section_action(ParserContext &ctx, const KeywordRecord &keyword, int32_t line);
// Actions 3 and 13 start a list; action 4 appends one text to it.
void begin_value_list(ParserContext &ctx);
void begin_pathlist(ParserContext &ctx, const std::string &name);
void append_value(ParserContext &ctx, const std::string &text);

// KEYWORD = "text" [, "text" ...] (5), KEYWORD = SYMBOL (6), KEYWORD = VALUE (7).
void keyword_strings(ParserContext &ctx, const KeywordRecord &key, int32_t line);
void keyword_symbol(ParserContext &ctx, const KeywordRecord &key, const std::string &symbol, int32_t line);
void keyword_value(ParserContext &ctx, const KeywordRecord &key, int64_t value, int32_t line);

// SPECIAL = SYMBOL (8), SPECIAL = VALUE (9), SPECIAL = STRING (10).
void special_symbol(ParserContext &ctx, const KeywordRecord &key, const std::string &symbol, int32_t line);
void special_value(ParserContext &ctx, const KeywordRecord &key, const TokenValue &value, int32_t line);
void special_string(ParserContext &ctx, const KeywordRecord &key, const std::string &text, int32_t line);
// 24 = VALUE, L: CountryCode in the older notation (11).
void old_country_code(ParserContext &ctx, int64_t tag, const TokenValue &value, const std::string &symbol,
                      int32_t line);

// Table entries; `replica` is the optional trailing identifier (nullptr when
// absent). [Layout]/[LbaAlign] (12), [PathList] (14), [LbaOrigin] origin (15)
// and follower (16), [LayoutOff] (17).
void layout_entry(ParserContext &ctx, int64_t priority, const std::string &file, int64_t value,
                  const std::string *replica, int32_t line);
void pathlist_entry(ParserContext &ctx, int32_t line);
void origin_entry(ParserContext &ctx, int64_t lba, const std::string &file, int32_t direction,
                  const std::string *replica, int32_t line);
void follower_entry(ParserContext &ctx, int64_t lba, const std::string &file, const std::string *replica,
                    int32_t line);
void layoutoff_entry(ParserContext &ctx, const std::string &file, int32_t line);

}  // namespace qorv
