#include "platform/io/png_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace tnx::io {
namespace {

TEST(PngWriter, AFileLeftShortOrOverfilledIsRefusedAndRemoved) {
    const std::string path = ::testing::TempDir() + "/png_writer_test.png";
    const std::vector<uint8_t> row(3 * 5, 0x80);
    // Three rows of three: the right count, one missing, one too many.
    for (int rows : {3, 2, 4}) {
        PngWriter png;
        ASSERT_TRUE(png.open(path, 5, 3));
        bool written = true;
        for (int i = 0; i < rows; ++i) written = png.writeRow(row.data());
        EXPECT_EQ(written, rows <= 3) << rows;
        EXPECT_EQ(png.finish(), rows == 3) << rows;
        EXPECT_EQ(std::filesystem::exists(path), rows == 3) << rows;
    }
    PngWriter png;
    EXPECT_FALSE(png.open(::testing::TempDir() + "/no/such/folder/x.png", 5, 3));
    EXPECT_FALSE(png.open(path, 0, 3));
}

}  // namespace
}  // namespace tnx::io
