#include "ddf/registry_values.h"

#include "host/code_page_932.h"
#include "host/name_case.h"
#include "host/registry_file.h"

namespace qorv {

namespace {

constexpr std::string_view kHeaders[] = {"REGEDIT4", "Windows Registry Editor Version 5.00"};
constexpr std::string_view kToolKey = "HKEY_CURRENT_USER\\SOFTWARE\\Kelvane\\QORV";
// The registry enumeration's buffers hold 4096 bytes with the terminator.
constexpr size_t kValueLimit = 4096;

// UTF-16LE (after its byte-order mark) to UTF-8; unpaired surrogates become
// U+FFFD and an odd last byte is ignored.
std::string utf16le_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unit = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        append_utf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), out);
        i += 2;
        continue;
      }
    }
    append_utf8(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u, out);
  }
  return out;
}

std::string to_utf8(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return utf16le_to_utf8(bytes.substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return std::string(bytes);
}

std::string_view trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A quoted text at the start of `s` with \\ and \" unescaped; `s` is left
// behind the closing quote. Nothing when the quote is not closed.
std::optional<std::string> take_quoted(std::string_view &s) {
  if (s.empty() || s[0] != '"') return std::nullopt;
  std::string out;
  for (size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return out;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) c = s[++i];
    out += c;
  }
  return std::nullopt;
}

enum class ValueKind { Text, Deletion, Other, Malformed };

struct ValueLine {
  ValueKind kind = ValueKind::Malformed;
  std::string name;
  std::string text;
};

ValueLine parse_value_line(std::string_view s) {
  ValueLine v;
  if (s.starts_with('@')) {
    s.remove_prefix(1);
  } else {
    std::optional<std::string> name = take_quoted(s);
    if (!name) return v;
    v.name = std::move(*name);
  }
  s = trim(s);
  if (!s.starts_with('=')) return v;
  s = trim(s.substr(1));
  if (s == "-") {
    v.kind = ValueKind::Deletion;
  } else if (s.starts_with('"')) {
    std::optional<std::string> text = take_quoted(s);
    if (text && trim(s).empty()) {
      v.kind = ValueKind::Text;
      v.text = std::move(*text);
    }
  } else if (!s.empty()) {
    v.kind = ValueKind::Other;  // dword:, hex:, hex(N):
  }
  return v;
}

}  // namespace

std::vector<RegistryValue> parse_registry_export(std::string_view bytes) {
  std::vector<RegistryValue> values;
  std::string text = to_utf8(bytes);
  std::string_view rest = text;
  bool first = true, in_tool_key = false, continued = false;
  while (!rest.empty()) {
    size_t lf = rest.find('\n');
    std::string_view line = trim(rest.substr(0, lf));
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);

    if (first) {
      if (line != kHeaders[0] && line != kHeaders[1]) return values;
      first = false;
      continue;
    }
    if (continued) {  // the tail of a binary value written over several lines
      continued = line.ends_with('\\');
      continue;
    }
    if (line.starts_with('[')) {
      in_tool_key = line.ends_with(']') && ascii_iequals(line.substr(1, line.size() - 2), kToolKey);
      continue;
    }
    if (!line.starts_with('"') && !line.starts_with('@')) continue;
    ValueLine v = parse_value_line(line);
    if (v.kind == ValueKind::Other) continued = line.ends_with('\\');
    if (!in_tool_key || v.kind == ValueKind::Malformed || v.kind == ValueKind::Deletion) continue;
    // The enumeration stops at the first value that does not fit its buffers.
    if (v.name.size() >= kValueLimit) break;
    if (v.kind == ValueKind::Other) continue;
    if (v.text.size() >= kValueLimit) break;
    values.push_back({std::move(v.name), std::move(v.text)});
  }
  return values;
}

RegistryExportHead::Verdict RegistryExportHead::look(std::string_view bytes) {
  if (verdict_ != Verdict::Undecided) return verdict_;
  if (at_ == 0) {
    constexpr std::string_view utf16_bom = "\xFF\xFE", utf8_bom = "\xEF\xBB\xBF";
    if (bytes.size() < 3 && (utf16_bom.starts_with(bytes) || utf8_bom.starts_with(bytes))) return verdict_;
    if (bytes.starts_with(utf16_bom)) width_ = 2;
    at_ = bytes.starts_with(utf16_bom) ? 2 : bytes.starts_with(utf8_bom) ? 3 : 0;
  }
  auto is_header = [](std::string_view line) { return line == kHeaders[0] || line == kHeaders[1]; };
  for (; at_ + width_ <= bytes.size(); at_ += width_) {
    uint32_t c = static_cast<unsigned char>(bytes[at_]);
    if (width_ == 2) c |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at_ + 1])) << 8;
    if (c == '\n') return verdict_ = is_header(line_) ? Verdict::Export : Verdict::NotExport;
    if (c == ' ' || c == '\t' || c == '\r') {
      // Blanks count only between words; more than a header line holds
      // already rule the line out if a word follows.
      if (!line_.empty() && blanks_.size() <= kHeaders[1].size()) blanks_ += static_cast<char>(c);
      continue;
    }
    line_ += blanks_;
    blanks_.clear();
    line_ += static_cast<char>(c < 0x80 ? c : 0);  // no header holds other characters
    if (!kHeaders[0].starts_with(line_) && !kHeaders[1].starts_with(line_)) return verdict_ = Verdict::NotExport;
  }
  return verdict_;
}

RegistryRead read_host_registry() {
  // A host with a registry has the values themselves, and no export file.
  if (std::optional<std::vector<HostRegistryValue>> key = read_registry_key()) {
    RegistryRead read;
    for (HostRegistryValue &v : *key) read.values.push_back({std::move(v.name), std::move(v.text)});
    return read;
  }
  RegistryExportHead head;
  RegistryExportBytes file = read_registry_export(REGISTRY_EXPORT_LIMIT, [&head](std::string_view bytes) {
    return head.look(bytes) != RegistryExportHead::Verdict::NotExport;
  });
  RegistryRead read{std::move(file.path), file.opened, file.over_limit, {}};
  if (file.opened && !file.over_limit) read.values = parse_registry_export(file.bytes);
  return read;
}

std::vector<RegistryValue> read_registry_values() { return read_host_registry().values; }

std::optional<std::string> find_registry_value(const std::vector<RegistryValue> &values,
                                               std::string_view name) {
  for (const RegistryValue &v : values)
    if (ascii_iequals(v.name, name)) return v.text;
  return std::nullopt;
}

}  // namespace qorv
