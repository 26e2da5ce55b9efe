#include "cp1252_text.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(Cp1252Text, KeepsAccentsTheCodePageHas) {
    EXPECT_EQ(Cp1252Text::fromUtf8("São Paulo"), "S\xE3o Paulo");
    EXPECT_EQ(Cp1252Text::fromUtf8("Zürich"), "Z\xFCrich");
    EXPECT_EQ(Cp1252Text::fromUtf8("Kraków"), "Krak\xF3w");
    // Decomposed input meets the same composed byte.
    EXPECT_EQ(Cp1252Text::fromUtf8("Sa\xCC\x83o"), "S\xE3o");
}

TEST(Cp1252Text, AWordWithALetterItLacksGoesPlain) {
    EXPECT_EQ(Cp1252Text::fromUtf8("Łódź"), "Lodz");
    // Only that word: the next keeps its accent.
    EXPECT_EQ(Cp1252Text::fromUtf8("Łódź Kraków"), "Lodz Krak\xF3w");
    EXPECT_EQ(Cp1252Text::fromUtf8("Hà Nội"), "H\xE0 Noi");
}

TEST(Cp1252Text, UsesTheCodePagesOwnHighRange) {
    EXPECT_EQ(Cp1252Text::fromUtf8("€ – ’ Š ž Ÿ"), "\x80 \x96 \x92 \x8A \x9E \x9F");
    EXPECT_EQ(Cp1252Text::byteOf(0x20AC), 0x80);
    EXPECT_EQ(Cp1252Text::byteOf(0x0081), 0);  // a C1 control, not a character of the code page
}

TEST(Cp1252Text, NeverWritesControlsOrBrokenBytes) {
    EXPECT_EQ(Cp1252Text::fromUtf8("a\tb\r\nc"), "a b c");
    EXPECT_EQ(Cp1252Text::fromUtf8("東京"), "??");
    const std::string broken = Cp1252Text::fromUtf8(std::string("x\xC3(y\xFF", 5));
    for (unsigned char c : broken) EXPECT_GE(c, 0x20);
    EXPECT_EQ(broken.front(), 'x');
}

}  // namespace
}  // namespace tnx::databuilder
