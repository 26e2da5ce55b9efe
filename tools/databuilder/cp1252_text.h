// Text for the program's data files: single-byte Windows-1252, printable
// codes 32 to 255 only. Letters the code page has keep their accents
// (São Paulo, Zürich, Kraków); a word with any letter it lacks loses all
// its accents (Łódź becomes Lodz), and a character with no Latin form at
// all becomes '?'. Never a broken byte.
#pragma once

#include <string>
#include <string_view>

namespace tnx::databuilder {

class Cp1252Text {
public:
    // UTF-8 in (invalid sequences count as unknown characters); control
    // characters, tabs and line breaks become single spaces.
    static std::string fromUtf8(std::string_view utf8);
    // The code page's byte for one code point, or 0 when it has none.
    static unsigned char byteOf(char32_t codePoint);
};

}  // namespace tnx::databuilder
