// The parser of the description language (generated from grammar.yy): reads
// the token stream of one open description file and stores every definition
// in the file's layer.
#pragma once

namespace qorv {

struct RunState;
struct Layer;
struct Section;
class DescriptionReader;

// Parses the file open in `reader` into `layer`. False after a syntax error
// or a parse stack overflow, which are reported through the reader's error
// callback; the rest of the file is then not read. Definitions go into
// `current_section`, which the previous file may have left open and which
// survives a failed header.
bool parse_description(RunState &run, DescriptionReader &reader, Layer &layer, Section *&current_section);

}  // namespace qorv
