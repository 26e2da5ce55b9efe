#include "platform/text/glyph_rasteriser.h"
#include "platform/text/text_encoding.h"

namespace tnx::text {

char32_t windows1252ToUnicode(uint8_t code) {
    // 0x80..0x9F are where the code page differs from Latin-1.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    if (code >= 0x80 && code < 0xA0) return kHigh[code - 0x80];
    return code;
}

unsigned char unicodeToWindows1252(char32_t c) {
    if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    if (c < 0x100) return 0;  // controls, and what the high range moved elsewhere
    for (int code = 0x80; code < 0xA0; ++code)
        if (windows1252ToUnicode(uint8_t(code)) == c) return static_cast<unsigned char>(code);
    return 0;
}

}  // namespace tnx::text
