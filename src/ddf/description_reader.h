// The lexer of the description language. Reads one description file line by
// line (counting lines, dropping comment lines, expanding variable
// references) and cuts tokens out of the current line. Tokens never span
// lines; the token stream ignores line ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ddf/token.h"
#include "ddf/variable_expansion.h"
#include "core/message_catalog.h"
#include "core/text_format.h"
#include "host/line_reader.h"

namespace qorv {

struct RunState;

// Longer lines are refused, so that an endless source without line feeds
// (a device, a runaway generator) cannot fill the memory.
inline constexpr size_t MAX_LINE_LENGTH = size_t{64} << 20;

class DescriptionReader {
public:
  explicit DescriptionReader(VariableLookup lookup = host_variable_lookup());

  // Opens `file_name` with the two report callbacks; line_number and
  // position start at 0. False when the file cannot be opened.
  bool open(const std::string &file_name, TextCallback on_error, TextCallback on_warning);
  void close();

  // With the disc in code page 932, a description file may be written in
  // UTF-8 or in code page 932 (as saved on a Japanese Windows host); its
  // lines are read into UTF-8. A byte-order mark says UTF-8; otherwise the
  // first line beyond ASCII decides: valid UTF-8, or code page 932.
  void read_code_page_932_files(bool on) { code_page_932_files_ = on; }

  // The next byte of the filtered input (0..255), or -1 at the end of the file.
  int next_char();
  // The byte at `position` without consuming it; 0 at the end of the line.
  int peek() const;
  // The next token kind; its value is left in `value`. Texts point into the
  // reader and stay valid until the next token of the same kind.
  TokenKind next_token(TokenValue &value);

  const std::string &file_name() const { return file_name_; }
  int32_t line_number() const { return line_number_; }
  // True when reading the file failed before its end.
  bool read_failed() const { return stream_.failed(); }
  // True when the file was read only up to a line longer than
  // MAX_LINE_LENGTH (reported as "line is too long").
  bool stopped_at_long_line() const { return stream_.line_too_long(); }

  // The callbacks installed by `open`.
  void report_error(std::string_view text) const;
  void report_warning(std::string_view text) const;

private:
  TokenKind scan_string(TokenValue &value);
  TokenKind scan_number(TokenValue &value);
  TokenKind scan_identifier(TokenValue &value);
  // `line_` in UTF-8 (code page 932 files); false when it is not in the
  // file's encoding (reported).
  bool decode_line();

  LineReader stream_{MAX_LINE_LENGTH};
  VariableLookup lookup_;
  std::string file_name_;
  int32_t line_number_ = 0;
  std::string line_;
  size_t position_ = 0;
  std::string string_text_;
  std::string symbol_text_;
  std::string number_text_;  // a number as written
  enum class Encoding { Undecided, Utf8, CodePage932 };
  bool code_page_932_files_ = false;
  Encoding encoding_ = Encoding::Undecided;
  std::string decoded_;
  TextCallback on_error_;
  TextCallback on_warning_;
};

// A catalog message at the reader's current file and line, counted as an
// error.
void report_parse_error(RunState &run, const DescriptionReader &reader, MessageId id,
                        MessageArgs args = {});

}  // namespace qorv
