// How names and texts are written on the disc, and the rules of letter case
// and of characters that follow from it: the host's own bytes (POSIX: UTF-8,
// whose multi-byte characters hold no ASCII byte and need no rule; Windows:
// the ANSI code page), or code page 932, converted from the host's UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "host/code_page_932.h"
#include "host/double_byte_rules.h"

namespace qorv {

class DiscCodePage {
public:
  static const DiscCodePage &host();
  static const DiscCodePage &code_page_932();

  // True when disc names are converted from the host's names.
  bool converts() const { return converter_ != nullptr; }
  // The code page's rules for double-byte characters; nullptr when every
  // character is one byte or of bytes 0x80 and above (UTF-8).
  const DoubleByteRules *double_byte() const { return rules_; }

  // `host_text` as it goes onto the disc, appended to `out`. False when it is
  // not valid UTF-8 or holds a character the code page lacks; `out` then
  // has "?" in its place.
  bool to_disc(std::string_view host_text, std::string &out) const;
  // `disc_text` as the host spells it (UTF-8 where the names convert),
  // appended to `out`; false (with U+FFFD in place) for bytes the code page
  // does not decode.
  bool to_host(std::string_view disc_text, std::string &out) const;

  // Upper case as the disc's name lookup takes it: a-z, and the code page's
  // further letters, double-byte characters included, each to one of the
  // same length. `out` receives text.size() bytes.
  void upper_case_copy(std::string_view text, char *out) const;
  void upper_case_into(std::string_view text, std::string &out) const;  // reuses out's storage
  std::string upper_case_name(std::string_view text) const;

  // Copies the leading whole characters of `text` that fit into `field` and
  // zero-fills the rest of it (a character that would not fit whole reads
  // as zero). Returns the number of text bytes copied.
  size_t copy_whole_characters(std::string_view text, std::span<uint8_t> field) const;

  // True when `name` holds the character "\" (a trail byte 0x5C of a
  // double-byte character is none).
  bool has_backslash(std::string_view name) const;

private:
  DiscCodePage(const DoubleByteRules *rules, const CodePage932 *converter) : rules_(rules), converter_(converter) {}

  const DoubleByteRules *rules_;
  const CodePage932 *converter_;  // code page 932 from the host's UTF-8
};

// The QORV_DISC_CODE_PAGE setting of the environment: unset, empty or
// "utf-8" (any letter case) the host's own bytes, "932" code page 932.
// Otherwise `page` is null and `problem` says why.
struct DiscCodePageChoice {
  const DiscCodePage *page = nullptr;
  std::string problem;
};
DiscCodePageChoice disc_code_page_from_environment();

// The host's choice for "932" (Windows: the ANSI code page, when it is 932).
DiscCodePageChoice host_code_page_932();

}  // namespace qorv
