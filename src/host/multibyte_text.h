// Copying text into fixed-size fields without splitting a character. Texts
// are taken as UTF-8, the host's multibyte encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qorv {

// Copies the leading whole characters of `text` that fit into `field` and
// zero-fills the rest of it; a character that would not fit whole is left
// out (its place reads as zero). Returns the number of text bytes copied.
size_t copy_whole_characters(std::string_view text, std::span<uint8_t> field);

}  // namespace qorv
