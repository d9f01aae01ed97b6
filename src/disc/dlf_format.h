// The disk layout file (DLF): a version line ("v2.00" in ZEM mode, "v1.00"
// in HT mode), in ZEM mode the configuration line, then one item line per
// placed file in disc order ("0x<hex>,\"<host path>\"") and the closing line
// (an item line with an empty name). Lines end with CR LF on every host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "disc/disc_mode.h"

namespace qorv {

inline constexpr std::string_view DLF_LINE_END = "\r\n", DLF_ZEM_VERSION = "v2.00", DLF_HT_VERSION = "v1.00",
                                  DLF_CONFIG_KEY = "ZEM_CONFIG_FILE,\"";

// The closing line lies this far behind the layout's end (raised to a
// multiple of 4). The user area ends as far below FSTuserEnd, so that the
// closing offset stays within it.
inline constexpr uint64_t DLF_CLOSING_MARGIN = 32;

inline void append_dlf_version_line(std::string &text, TargetMode mode) {
  text.append(mode == TargetMode::HT ? DLF_HT_VERSION : DLF_ZEM_VERSION).append(DLF_LINE_END);
}
// The mode a version line names; nothing for any other line.
inline std::optional<TargetMode> parse_dlf_version_line(std::string_view line) {
  if (line != DLF_ZEM_VERSION && line != DLF_HT_VERSION) return std::nullopt;
  return line == DLF_HT_VERSION ? TargetMode::HT : TargetMode::ZEM;
}

inline void append_dlf_config_line(std::string &text, std::string_view config_path) {
  text.append(DLF_CONFIG_KEY).append(config_path).append(1, '"').append(DLF_LINE_END);
}
// The configuration file a configuration line names; nothing when the line
// is none.
inline std::optional<std::string_view> parse_dlf_config_line(std::string_view line) {
  if (!line.starts_with(DLF_CONFIG_KEY) || line.size() <= DLF_CONFIG_KEY.size() || line.back() != '"') return {};
  return line.substr(DLF_CONFIG_KEY.size(), line.size() - DLF_CONFIG_KEY.size() - 1);
}

// "0x%016I64x,\"%s\"" (ZEM) or "0x%08I64x,\"%s\"" (HT); the name, `name`
// followed by `name_end`, goes in unchanged.
void append_dlf_item_line(std::string &text, TargetMode mode, uint64_t offset, std::string_view name,
                          std::string_view name_end = {});

enum class DlfItemProblem { NoLineStart, OffsetTooLarge, OffsetNoDigits, OffsetNoName, NameNoQuote, NameZeroByte };
// An item line (without its line end) into `offset` and `name`: the offset
// in digits of either case, the name running to the last quote, which ends
// the line. Nothing on success, else what is wrong.
std::optional<DlfItemProblem> parse_dlf_item_line(std::string_view line, uint64_t &offset, std::string &name);

}  // namespace qorv
