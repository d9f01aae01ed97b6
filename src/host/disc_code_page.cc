#include "host/disc_code_page.h"

#include <algorithm>

#include "host/environment.h"
#include "host/name_case.h"

namespace qorv {

const DiscCodePage &DiscCodePage::code_page_932() {
  static const DiscCodePage page(&CodePage932::get().rules(), &CodePage932::get());
  return page;
}

bool DiscCodePage::to_disc(std::string_view host_text, std::string &out) const {
  if (!converter_) {
    out.append(host_text);
    return true;
  }
  return converter_->encode(host_text, out);
}

bool DiscCodePage::to_host(std::string_view disc_text, std::string &out) const {
  if (!converter_) {
    out.append(disc_text);
    return true;
  }
  return converter_->decode(disc_text, out);
}

void DiscCodePage::upper_case_copy(std::string_view text, char *out) const {
  ascii_upper_case_copy(text, out);
  if (rules_) upper_case_double_byte(*rules_, text, out);
}

void DiscCodePage::upper_case_into(std::string_view text, std::string &out) const {
  out.resize(text.size());
  upper_case_copy(text, out.data());
}

std::string DiscCodePage::upper_case_name(std::string_view text) const {
  std::string out;
  upper_case_into(text, out);
  return out;
}

size_t DiscCodePage::copy_whole_characters(std::string_view text, std::span<uint8_t> field) const {
  if (rules_) return copy_whole_double_byte(*rules_, text, field);
  // UTF-8: a character is its lead byte and the continuation bytes after it.
  size_t used = 0;
  while (used < text.size()) {
    const auto lead = static_cast<uint8_t>(text[used]);
    const size_t expected = lead >= 0xF0 && lead < 0xF8   ? 4
                            : lead >= 0xE0 && lead < 0xF0 ? 3
                            : lead >= 0xC0 && lead < 0xE0 ? 2
                                                          : 1;
    size_t length = 1;
    while (length < expected && used + length < text.size() &&
           (static_cast<uint8_t>(text[used + length]) & 0xC0) == 0x80)
      ++length;
    if (used + length > field.size()) break;
    used += length;
  }
  std::fill(std::copy_n(text.begin(), used, field.begin()), field.end(), uint8_t{0});
  return used;
}

bool DiscCodePage::has_backslash(std::string_view name) const {
  if (rules_) return has_double_byte_backslash(*rules_, name);
  return name.find('\\') != std::string_view::npos;
}

DiscCodePageChoice disc_code_page_from_environment() {
  std::optional<std::string> value = get_environment("QORV_DISC_CODE_PAGE");
  const std::string lower = ascii_lower(value.value_or(""));
  if (lower.empty() || lower == "utf-8") return {&DiscCodePage::host(), {}};
  if (lower == "932") return host_code_page_932();
  return {nullptr, "QORV_DISC_CODE_PAGE=" + *value + " names no code page this tool knows (utf-8 or 932)."};
}

}  // namespace qorv
