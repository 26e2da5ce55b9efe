// Conversions between UTF-8 (the command line, the terminal) and
// Windows-1252 (the text of the geography data).
#pragma once

#include <string>
#include <string_view>

namespace tnx::text {

// Characters Windows-1252 lacks, and malformed UTF-8, become '?'.
std::string utf8ToWindows1252(std::string_view utf8);
// The five byte values Windows-1252 leaves undefined become U+FFFD.
std::string windows1252ToUtf8(std::string_view text);
// The Windows-1252 byte of one printable character (32..126, 128..255),
// or 0 when the code page has none.
unsigned char unicodeToWindows1252(char32_t c);

}  // namespace tnx::text
