// Names from an image or a DLF shown to a person: whatever bytes they hold,
// the text on a terminal cannot forge rows or drive the terminal, and the
// text in an SVG is always well-formed XML. Bytes that cannot be shown are
// written as "\xNN".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qorv {

// The length of the UTF-8 sequence at `at` (1 to 4), or 0 when the bytes
// there are no valid UTF-8: a stray or missing continuation byte, an
// overlong form, a surrogate, a code point past U+10FFFF, a lead byte
// 0xF5 to 0xFF.
size_t utf8_sequence_length(std::string_view text, size_t at);

// For a terminal: control characters (C0, DEL, C1), backslashes and bytes
// that are no valid UTF-8 as "\xNN"; everything else as it is.
std::string terminal_text(std::string_view text);

// For XML: markup characters as entities; characters XML cannot hold (C0
// controls but tab, U+FFFE, U+FFFF), C1 controls and bytes that are no
// valid UTF-8 as "\xNN".
std::string xml_text(std::string_view text);

}  // namespace qorv
