// The cursor files beside pack.dat in the program folder (TERRANOX_APP_DIR).
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "platform/win/cursor_file.h"

#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cstdlib>

namespace tnx {
namespace {

std::filesystem::path appDir() {
    const char* dir = std::getenv("TERRANOX_APP_DIR");
    return dir ? dir : "build/app";
}

class CursorData : public ::testing::TestWithParam<const char*> {};

TEST_P(CursorData, IsAThirtyTwoPixelCursorWithAlpha) {
    const auto path = appDir() / GetParam();
    const auto bytes = io::readWholeFile(path);
    ASSERT_TRUE(bytes) << "missing " << path << " (run scripts/build-data.sh)";

    // The header, field by field.
    io::ByteReader r(*bytes);
    EXPECT_EQ(r.u16(), 0);
    EXPECT_EQ(r.u16(), 2);  // cursor
    EXPECT_EQ(r.u16(), 1);
    EXPECT_EQ(r.u8(), 32);
    EXPECT_EQ(r.u8(), 32);
    r.skip(2);
    const uint16_t hotX = r.u16(), hotY = r.u16();
    const uint32_t imageBytes = r.u32(), offset = r.u32();
    ASSERT_TRUE(r.ok());
    EXPECT_LT(hotX, 32);
    EXPECT_LT(hotY, 32);
    EXPECT_EQ(size_t(offset) + imageBytes, bytes->size());
    r.seek(offset);
    EXPECT_EQ(r.u32(), 40u);
    EXPECT_EQ(r.i32(), 32);
    EXPECT_EQ(r.i32(), 64);
    EXPECT_EQ(r.u16(), 1);
    EXPECT_EQ(r.u16(), 32);
    EXPECT_TRUE(r.ok());

    // The viewer's own reader takes it, hot spot and all.
    const auto cursor = win::parseCursorFile(*bytes);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->width, 32);
    EXPECT_EQ(cursor->height, 32);
    EXPECT_EQ(cursor->hotspotX, hotX);
    EXPECT_EQ(cursor->hotspotY, hotY);
    int opaque = 0, clear = 0;
    for (uint32_t p : cursor->pixels) {
        opaque += (p >> 24) == 0xFF;
        clear += (p >> 24) == 0;
    }
    EXPECT_GT(opaque, 60);
    EXPECT_GT(clear, 400);

    // And so does Qt's, independently.
    QImageReader reader(QString::fromStdString(path.string()), "cur");
    const QImage qt = reader.read();
    ASSERT_FALSE(qt.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(qt.size(), QSize(32, 32));
    EXPECT_TRUE(qt.hasAlphaChannel());
}

INSTANTIATE_TEST_SUITE_P(Files, CursorData, ::testing::Values("zoom.cur", "distance.cur"));

}  // namespace
}  // namespace tnx
