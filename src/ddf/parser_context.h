// What the grammar actions of one parse share: the run, the reader, the
// file's layer, the list and name being collected, and the token texts still
// on the parse stack.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ddf/description_parser.h"

namespace qorv {

struct ParserContext {
  RunState &run;
  DescriptionReader &reader;
  Layer &layer;                         // where section headers go
  Section *&current_section;            // where definitions go
  std::vector<std::string> value_list;  // texts of the string list being parsed
  std::string pathlist_name;            // name of the [PathList] definition being parsed

  // Token texts are copied here so that they outlive the reader's next token
  // of the same kind while they wait on the parse stack.
  std::deque<std::string> texts;

  const std::string *keep_text(const std::string &text) {
    texts.push_back(text);
    return &texts.back();
  }
  // After a definition is reduced its texts are dead; only the lookahead's,
  // when one was read, is the newest and still needed.
  void release_texts(bool lookahead_read) {
    while (texts.size() > (lookahead_read ? 1u : 0u)) texts.pop_front();
  }
};

}  // namespace qorv
