#include "core/text_format.h"

#include "disc/hex_digits.h"

namespace qorv {

std::string hex_lower(uint64_t value, int width) {
  std::string out;
  append_hex(out, value, width);
  return out;
}

std::string format_text(std::string_view format, MessageArgs args) {
  std::string out;
  out.reserve(format.size() + 32);
  const MessageArg *next = args.begin();
  auto take = [&]() -> const MessageArg * { return next != args.end() ? next++ : nullptr; };

  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    std::string_view rest = format.substr(i);
    if (rest.starts_with("%%")) {
      out += '%';
      i += 1;
    } else if (rest.starts_with("%s")) {
      if (const MessageArg *a = take()) {
        if (a->is_text())
          out += a->text();
        else
          out += std::to_string(static_cast<int64_t>(a->bits()));
      }
      i += 1;
    } else if (rest.starts_with("%ld") || rest.starts_with("%d")) {
      if (const MessageArg *a = take())
        out += std::to_string(static_cast<int32_t>(static_cast<uint32_t>(a->bits())));
      i += rest[1] == 'l' ? 2 : 1;
    } else if (rest.starts_with("%016I64X")) {
      if (const MessageArg *a = take()) append_hex(out, a->bits(), 16, HexCase::Upper);
      i += 7;
    } else if (rest.starts_with("%I64x")) {
      if (const MessageArg *a = take()) append_hex(out, a->bits());
      i += 4;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace qorv
