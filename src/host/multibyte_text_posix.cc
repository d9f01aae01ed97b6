#include "host/multibyte_text.h"

#include <algorithm>

namespace qorv {

namespace {

// Length of the character starting at `at`: the lead byte's sequence length,
// cut short where the continuation bytes end (a malformed sequence is kept
// as the bytes it has).
size_t character_length(std::string_view text, size_t at) {
  auto lead = static_cast<uint8_t>(text[at]);
  size_t expected = 1;
  if (lead >= 0xC0 && lead < 0xE0)
    expected = 2;
  else if (lead >= 0xE0 && lead < 0xF0)
    expected = 3;
  else if (lead >= 0xF0 && lead < 0xF8)
    expected = 4;
  size_t length = 1;
  while (length < expected && at + length < text.size() &&
         (static_cast<uint8_t>(text[at + length]) & 0xC0) == 0x80)
    ++length;
  return length;
}

}  // namespace

size_t copy_whole_characters(std::string_view text, std::span<uint8_t> field) {
  size_t used = 0;
  while (used < text.size()) {
    size_t length = character_length(text, used);
    if (used + length > field.size()) break;
    used += length;
  }
  std::fill(std::copy_n(text.begin(), used, field.begin()), field.end(), uint8_t{0});
  return used;
}

bool name_has_backslash(std::string_view name) { return name.find('\\') != std::string_view::npos; }

std::string host_message_text(std::string_view utf8) { return std::string(utf8); }

}  // namespace qorv
