// Formatting of the tool's printf-style message texts.
//
// Catalog texts and the tool's own error texts use three placeholders:
// "%s" (text), "%ld" (signed 32-bit number) and "%016I64X" (unsigned 64-bit
// number as 16 upper-case hexadecimal digits). Values are taken in order;
// values beyond the text's placeholders are ignored, missing ones print
// nothing. The result has no length limit.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qorv {

class MessageArg {
public:
  MessageArg(std::string_view text) : text_(text), is_text_(true) {}
  MessageArg(const std::string &text) : text_(text), is_text_(true) {}
  MessageArg(const char *text) : text_(text ? text : ""), is_text_(true) {}
  template <std::integral T>
  MessageArg(T value) : number_(static_cast<uint64_t>(static_cast<int64_t>(value))) {
    if constexpr (std::is_unsigned_v<T>) number_ = static_cast<uint64_t>(value);
  }

  bool is_text() const { return is_text_; }
  std::string_view text() const { return text_; }
  uint64_t bits() const { return number_; }

private:
  std::string_view text_;
  uint64_t number_ = 0;
  bool is_text_ = false;
};

using MessageArgs = std::initializer_list<MessageArg>;

// Fills the placeholders of `format` with `args`.
std::string format_text(std::string_view format, MessageArgs args);

// "%016I64x" / "%08I64x": lower-case, zero-padded to at least `width` digits.
std::string hex_lower(uint64_t value, int width = 0);

}  // namespace qorv
