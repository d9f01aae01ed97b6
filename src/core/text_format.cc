#include "core/text_format.h"

#include <bit>
#include <cstdio>

namespace qorv {

std::string hex16_upper(uint64_t value) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(value));
  return buf;
}

std::string hex_lower(uint64_t value, int width) {
  std::string out;
  append_hex_lower(out, value, width);
  return out;
}

void append_hex_lower(std::string &out, uint64_t value, int width) {
  // Hand-made, without a formatting call per number.
  const int n = value == 0 ? 1 : (67 - std::countl_zero(value)) / 4;  // significant digits
  char digits[16];
  for (int i = 15; i >= 0; --i) {
    digits[i] = "0123456789abcdef"[value & 0xF];
    value >>= 4;
  }
  if (width > n) out.append(static_cast<size_t>(width - n), '0');
  out.append(digits + 16 - n, static_cast<size_t>(n));
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
      if (const MessageArg *a = take()) out += hex16_upper(a->bits());
      i += 7;
    } else if (rest.starts_with("%I64x")) {
      if (const MessageArg *a = take()) out += hex_lower(a->bits());
      i += 4;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace qorv
