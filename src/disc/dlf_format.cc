#include "disc/dlf_format.h"

#include <algorithm>
#include <cstring>

#include "disc/hex_digits.h"

namespace qorv {

namespace {
int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

// One line per file: the text grows once per line.
void append_dlf_item_line(std::string &text, TargetMode mode, uint64_t offset, std::string_view name,
                          std::string_view name_end) {
  char head[2 + 16 + 2] = {'0', 'x'};
  put_hex16(head + 2, offset);
  head[18] = ',';
  head[19] = '"';
  const int shown = std::max(mode == TargetMode::HT ? 8 : 16, hex_digit_count(offset));
  const auto skipped = static_cast<size_t>(16 - shown);  // leading zeros not shown
  std::memmove(head + skipped, head, 2);

  const size_t head_length = sizeof head - skipped;
  const size_t at = text.size();
  const size_t name_length = name.size() + name_end.size();
  text.resize(at + head_length + name_length + 1 + DLF_LINE_END.size());
  char *out = text.data() + at;
  std::memcpy(out, head + skipped, head_length);
  std::copy(name.begin(), name.end(), out + head_length);
  std::copy(name_end.begin(), name_end.end(), out + head_length + name.size());
  out[head_length + name_length] = '"';
  std::memcpy(out + head_length + name_length + 1, DLF_LINE_END.data(), DLF_LINE_END.size());
}

std::optional<DlfItemProblem> parse_dlf_item_line(std::string_view line, uint64_t &offset, std::string &name) {
  if (line.size() < 2 || line[0] != '0' || line[1] != 'x') return DlfItemProblem::NoLineStart;
  size_t i = 2;
  offset = 0;
  for (; i < line.size() && hex_digit(line[i]) >= 0; ++i) {
    if (offset >> 60) return DlfItemProblem::OffsetTooLarge;
    offset = offset << 4 | static_cast<uint64_t>(hex_digit(line[i]));
  }
  if (i == 2) return DlfItemProblem::OffsetNoDigits;
  if (i + 1 >= line.size() || line[i] != ',' || line[i + 1] != '"') return DlfItemProblem::OffsetNoName;
  const size_t last = line.rfind('"');
  if (last <= i + 1 || last != line.size() - 1) return DlfItemProblem::NameNoQuote;
  name.assign(line.substr(i + 2, last - i - 2));
  if (name.find('\0') != std::string::npos) return DlfItemProblem::NameZeroByte;
  return std::nullopt;
}

}  // namespace qorv
