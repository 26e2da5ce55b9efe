#include "cp1252_text.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(Cp1252Text, KeepsTheCodePagesAccentsAndSpellsOtherWordsPlain) {
    EXPECT_EQ(Cp1252Text::fromUtf8("São Paulo"), "S\xE3o Paulo");
    EXPECT_EQ(Cp1252Text::fromUtf8("Zürich"), "Z\xFCrich");
    EXPECT_EQ(Cp1252Text::fromUtf8("Kraków"), "Krak\xF3w");
    EXPECT_EQ(Cp1252Text::fromUtf8("Sa\xCC\x83o"), "S\xE3o");  // decomposed input, composed byte
    // A word with a letter the code page lacks loses all its accents; the
    // next word keeps its own.
    EXPECT_EQ(Cp1252Text::fromUtf8("Łódź Kraków"), "Lodz Krak\xF3w");
    EXPECT_EQ(Cp1252Text::fromUtf8("€ – ’ Ÿ"), "\x80 \x96 \x92 \x9F");
}

TEST(Cp1252Text, NeverWritesControlsOrBrokenBytes) {
    EXPECT_EQ(Cp1252Text::fromUtf8("a\tb\r\nc"), "a b c");
    EXPECT_EQ(Cp1252Text::fromUtf8("東京"), "??");
    EXPECT_EQ(Cp1252Text::byteOf(0x0081), 0);  // a C1 control is no character of the code page
    const std::string broken = Cp1252Text::fromUtf8(std::string("x\xC3(y\xFF", 5));
    for (unsigned char c : broken) EXPECT_GE(c, 0x20);
}

}  // namespace
}  // namespace tnx::databuilder
