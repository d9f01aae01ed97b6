// Names from an image or a DLF shown to a person: whatever bytes they hold,
// the text on a terminal cannot forge rows or drive the terminal, the text
// in an SVG is always well-formed XML and the text in JSON valid UTF-8.
// Names from a disc are decoded from the disc's encoding first; bytes that
// cannot be shown are written as "\xNN".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qorv {

// How the names on a disc are encoded. Host texts (a DLF's paths) are UTF-8.
enum class NameEncoding {
  Utf8,
  CodePage932,
  Bytes,  // no decoding: every byte beyond ASCII is shown as "\xNN"
};

// The length of the UTF-8 sequence at `at` (1 to 4), or 0 when the bytes
// there are no valid UTF-8: a stray or missing continuation byte, an
// overlong form, a surrogate, a code point past U+10FFFF, a lead byte
// 0xF5 to 0xFF.
size_t utf8_sequence_length(std::string_view text, size_t at);

// True when every byte of `text` is part of a character of `encoding`.
bool decodes_whole(std::string_view text, NameEncoding encoding);

// For a terminal, in the host's encoding (Windows: the ANSI code page):
// control characters (C0, DEL, C1), backslashes and bytes that do not
// decode as "\xNN"; everything else as it is.
std::string terminal_text(std::string_view text, NameEncoding encoding = NameEncoding::Utf8);

// For XML (UTF-8): markup characters as entities; characters XML cannot hold
// (C0 controls but tab, U+FFFE, U+FFFF), C1 controls and bytes that do not
// decode as "\xNN".
std::string xml_text(std::string_view text, NameEncoding encoding = NameEncoding::Utf8);

// For JSON: valid UTF-8, with U+FFFD for each byte that does not decode.
std::string utf8_text(std::string_view text, NameEncoding encoding);

}  // namespace qorv
