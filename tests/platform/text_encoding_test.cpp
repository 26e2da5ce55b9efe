// UTF-8 from the command line to the data's Windows-1252 and back.
#include "platform/text/text_encoding.h"

#include <gtest/gtest.h>

namespace tnx::text {
namespace {

TEST(TextEncoding, ConvertsBothWaysAndMarksWhatCannotBeSaid) {
    EXPECT_EQ(utf8ToWindows1252("S\xc3\xa3o Paulo"), "S\xe3o Paulo");
    EXPECT_EQ(utf8ToWindows1252("\xe2\x82\xac 5"), "\x80 5");  // the euro sign has a code in 1252
    EXPECT_EQ(utf8ToWindows1252("\xe6\x9d\xb1\xe4\xba\xac x"), "?? x");  // Tokyo in kanji
    EXPECT_EQ(utf8ToWindows1252("a\xff" "b"), "a?b");                     // not UTF-8 at all
    EXPECT_EQ(utf8ToWindows1252("cut \xc3"), "cut ?");
    EXPECT_EQ(windows1252ToUtf8("Curia\xe7\x61o \x80"), "Curia\xc3\xa7\x61o \xe2\x82\xac");
    EXPECT_EQ(windows1252ToUtf8("a\x81z"), "a\xef\xbf\xbdz");  // undefined in 1252
    std::string long1252(1000, '\xe9');
    EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(long1252)), long1252);
}

}  // namespace
}  // namespace tnx::text
