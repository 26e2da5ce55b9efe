#include "globe/image/jpeg_strip_reader.h"

#include <gtest/gtest.h>

#include "globe/image/image_decoder.h"
#include "globe/image/test_jpeg.h"

namespace tnx::globe {
namespace {

TEST(JpegStripReaderTest, StripsAddUpToTheWholeImage) {
    const int w = 70, h = 300;
    auto jpeg = test::makeJpeg(test::smoothRgb(w, h), w, h, 3, 90);
    RgbImage whole = decodeJpeg(jpeg);
    ASSERT_FALSE(whole.empty());

    JpegStripReader reader;
    ASSERT_TRUE(reader.open(jpeg));
    EXPECT_EQ(reader.width(), w);
    EXPECT_EQ(reader.height(), h);
    std::vector<uint8_t> all, strip(size_t(w) * 3 * 128);
    std::vector<int> counts;
    while (reader.isOpen()) {
        int n = reader.readRows(128, strip.data());
        ASSERT_GE(n, 0);
        counts.push_back(n);
        all.insert(all.end(), strip.begin(), strip.begin() + n * w * 3);
    }
    EXPECT_EQ(counts, (std::vector<int>{128, 128, 44}));
    EXPECT_EQ(reader.rowsRead(), h);
    EXPECT_EQ(all, whole.pixels);
    EXPECT_EQ(reader.readRows(128, strip.data()), 0);  // closed after the last row
    EXPECT_EQ(reader.width(), w);                       // the header stays known
}

TEST(JpegStripReaderTest, MinusOneFinishesEarlyAndTheReaderCanReopen) {
    auto jpeg = test::makeJpeg(test::smoothRgb(40, 64), 40, 64, 3);
    JpegStripReader reader;
    ASSERT_TRUE(reader.open(jpeg));
    std::vector<uint8_t> strip(40 * 3 * 16);
    EXPECT_EQ(reader.readRows(16, strip.data()), 16);
    EXPECT_EQ(reader.readRows(-1, nullptr), 0);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.readRows(16, strip.data()), 0);

    ASSERT_TRUE(reader.open(jpeg));
    EXPECT_EQ(reader.rowsRead(), 0);
    EXPECT_EQ(reader.readRows(16, strip.data()), 16);
    // Opened and never read: finishing must not leak or crash.
    JpegStripReader idle;
    EXPECT_TRUE(idle.open(jpeg));
}

TEST(JpegStripReaderTest, GreyImageIsExpanded) {
    const int w = 33, h = 20;
    std::vector<uint8_t> grey(size_t(w) * h, 0);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = uint8_t(i * 3);
    auto jpeg = test::makeJpeg(grey, w, h, 1, 95);
    JpegStripReader reader;
    ASSERT_TRUE(reader.open(jpeg));
    std::vector<uint8_t> rows(size_t(w) * 3 * h);
    EXPECT_EQ(reader.readRows(h, rows.data()), h);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        ASSERT_EQ(rows[3 * i], rows[3 * i + 1]);
        ASSERT_EQ(rows[3 * i], rows[3 * i + 2]);
    }
}

TEST(JpegStripReaderTest, DamagedImagesFailWithoutCrashing) {
    JpegStripReader reader;
    EXPECT_FALSE(reader.open({}));
    EXPECT_FALSE(reader.open(std::vector<uint8_t>(400, 0x11)));
    EXPECT_FALSE(reader.isOpen());

    const int w = 64, h = 256;
    auto jpeg = test::makeJpeg(test::smoothRgb(w, h), w, h, 3, 90);
    auto cut = std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2));
    ASSERT_TRUE(reader.open(cut));  // the header is intact
    std::vector<uint8_t> strip(size_t(w) * 3 * 64);
    int result = 0;
    for (int i = 0; i < 8 && result >= 0; ++i) result = reader.readRows(64, strip.data());
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_LT(reader.rowsRead(), h);
}

}  // namespace
}  // namespace tnx::globe
