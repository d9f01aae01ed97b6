#include "ddf/description_reader.h"

#include <algorithm>
#include <cstdlib>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/code_page_932.h"

namespace qorv {

namespace {
// Character classes of the "C" locale; bytes with the high bit set are none.
bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_xdigit(int c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool is_letter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The standard string-to-integer conversion: saturates at the 64-bit limits.
int64_t to_integer(const std::string &text, int base) { return std::strtoll(text.c_str(), nullptr, base); }
}  // namespace

DescriptionReader::DescriptionReader(VariableLookup lookup) : lookup_(std::move(lookup)) {}

bool DescriptionReader::open(const std::string &file_name, TextCallback on_error, TextCallback on_warning) {
  file_name_ = file_name;
  on_error_ = std::move(on_error);
  on_warning_ = std::move(on_warning);
  line_number_ = 0;
  line_.clear();
  position_ = 0;
  encoding_ = Encoding::Undecided;
  if (!stream_.open(file_name)) return false;
  if (stream_.had_byte_order_mark()) encoding_ = Encoding::Utf8;
  return true;
}

bool DescriptionReader::decode_line() {
  if (std::all_of(line_.begin(), line_.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return true;
  const bool utf8 = is_valid_utf8(line_);
  if (encoding_ == Encoding::Utf8) {
    if (utf8) return true;
    report_error("this line is not UTF-8, as the lines before it are (save the file in one encoding)");
    return false;
  }
  if (utf8) {
    report_error("this line is UTF-8, the lines before it code page 932 (save the file in one encoding)");
    return false;
  }
  decoded_.clear();
  if (!CodePage932::get().decode(line_, decoded_)) {
    report_error("this line holds bytes that are no characters of code page 932");
    return false;
  }
  line_.swap(decoded_);
  return true;
}

void DescriptionReader::close() { stream_.close(); }

void DescriptionReader::report_error(std::string_view text) const {
  if (on_error_) on_error_(text);
}

void DescriptionReader::report_warning(std::string_view text) const {
  if (on_warning_) on_warning_(text);
}

int DescriptionReader::next_char() {
  while (position_ >= line_.size()) {
    if (!stream_.is_open() || !stream_.read_line(line_)) {
      if (stream_.is_open() && stream_.line_too_long()) {
        ++line_number_;
        report_error("line is too long");
        stream_.close();  // the rest of the file is not read
      }
      line_.clear();
      position_ = 0;
      return -1;
    }
    ++line_number_;
    position_ = 0;
    if (line_.empty()) continue;
    // The first line beyond ASCII, comments included, tells the file's
    // encoding.
    if (code_page_932_files_ && encoding_ == Encoding::Undecided &&
        std::any_of(line_.begin(), line_.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
      encoding_ = is_valid_utf8(line_) ? Encoding::Utf8 : Encoding::CodePage932;
    // A ";" before any "$" drops the whole line, definition and all.
    size_t semicolon = line_.find(';');
    size_t dollar = line_.find('$');
    if (semicolon < dollar) {
      line_.clear();
      continue;
    }
    // ";" and "$" are never trail bytes of code page 932: the comment rule
    // holds for its lines as they are.
    if (code_page_932_files_ && !decode_line()) {
      line_.clear();
      continue;
    }
    if (dollar != std::string::npos &&
        !expand_variables(line_, lookup_, [this](std::string_view t) { report_error(t); },
                          [this](std::string_view t) { report_warning(t); })) {
      line_.clear();
      continue;
    }
  }
  return static_cast<unsigned char>(line_[position_++]);
}

int DescriptionReader::peek() const {
  return position_ < line_.size() ? static_cast<unsigned char>(line_[position_]) : 0;
}

TokenKind DescriptionReader::next_token(TokenValue &value) {
  value = TokenValue{};
  for (;;) {
    int c = next_char();
    while (is_space(c)) c = next_char();
    switch (c) {
    case -1: return EOFD;
    case '"': return scan_string(value);
    case '+': return PLUS;
    case ',': return COMMA;
    case ':': return COLON;
    case '=': return ASSIGN;
    case '@': return AT;
    case '[': return LBRACE;
    case ']': return RBRACE;
    case '-': return is_digit(peek()) ? scan_number(value) : MINUS;
    case ';':  // the rest of the line is a comment
      position_ = line_.size();
      continue;
    default:
      if (is_digit(c)) return scan_number(value);
      if (is_letter(c)) return scan_identifier(value);
      return UNKOWN;
    }
  }
}

TokenKind DescriptionReader::scan_string(TokenValue &value) {
  // A zero byte ends a text as the line's end does: no host call could take
  // a name with one inside, so it is never stored, and the rest of the line
  // is dropped.
  size_t end = line_.find_first_of(std::string_view("\"\0", 2), position_);
  bool closed = end != std::string::npos && line_[end] == '"';
  if (end == std::string::npos) end = line_.size();
  string_text_.assign(line_, position_, end - position_);
  position_ = closed ? end + 1 : line_.size();
  if (!closed) report_error("string must be enclosed within \"");
  value.text = &string_text_;
  return STRING;
}

TokenKind DescriptionReader::scan_number(TokenValue &value) {
  size_t start = position_ - 1;
  if (line_[start] == '0' && (peek() == 'x' || peek() == 'X')) {
    position_ += 1;
    if (!is_xdigit(peek())) {
      number_text_.assign(line_, start, position_ - start);  // "0x"
      report_error("syntax error");
      value.text = &number_text_;
      value.number = 0;
      return VALUE;
    }
    while (is_xdigit(peek())) ++position_;
    number_text_.assign(line_, start, position_ - start);
    value.number = to_integer(number_text_, 16);
  } else {
    while (is_digit(peek())) ++position_;
    number_text_.assign(line_, start, position_ - start);
    value.number = to_integer(number_text_, 10);  // leading zeros stay decimal
  }
  value.text = &number_text_;
  return VALUE;
}

TokenKind DescriptionReader::scan_identifier(TokenValue &value) {
  size_t start = position_ - 1;
  while (is_letter(peek()) || is_digit(peek()) || peek() == '_') ++position_;
  symbol_text_.assign(line_, start, position_ - start);
  if (const KeywordRecord *record = lookup_keyword(symbol_text_)) {
    value.record = record;
    return static_cast<TokenKind>(record->token);
  }
  value.text = &symbol_text_;
  return SYMBOL;
}

void report_parse_error(RunState &run, const DescriptionReader &reader, MessageId id, MessageArgs args) {
  report_error_text(run, reader.file_name(), reader.line_number(), format_message(run, id, args));
}

}  // namespace qorv
