#include <gtest/gtest.h>

#include <fstream>

#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

using namespace tnx::io;

TEST(FileIo, WritesAtomicallyAndReadsBack) {
    tnx::test::TestHome home;
    auto p = home.file("a.bin");
    std::vector<uint8_t> data = {1, 2, 3, 0, 255};
    ASSERT_TRUE(writeFileAtomically(p, data));
    EXPECT_EQ(readWholeFile(p), data);
    ASSERT_TRUE(writeFileAtomically(p, std::vector<uint8_t>{}));
    EXPECT_EQ(readWholeFile(p), std::vector<uint8_t>{});
    // Only the file itself is left behind, no temporary.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(home.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST(FileIo, MissingFilesAndFoldersReadAsNothing) {
    tnx::test::TestHome home;
    EXPECT_FALSE(readWholeFile(home.file("missing")).has_value());
    EXPECT_FALSE(readWholeFile(home.path()).has_value());
}

TEST(FileIo, FailedWriteKeepsTheOldFile) {
    tnx::test::TestHome home;
    auto p = home.file("keep.bin");
    ASSERT_TRUE(writeFileAtomically(p, std::vector<uint8_t>{7, 7}));
    // A target that is a folder cannot be replaced by a file.
    std::filesystem::create_directory(home.file("dir"));
    EXPECT_FALSE(writeFileAtomically(home.file("dir"), std::vector<uint8_t>{1}));
    EXPECT_TRUE(std::filesystem::is_directory(home.file("dir")));
    EXPECT_FALSE(writeFileAtomically(home.path() / "no" / "such" / "folder" / "f", std::vector<uint8_t>{1}));
    EXPECT_EQ(readWholeFile(p), (std::vector<uint8_t>{7, 7}));
}

TEST(ByteReader, NeverReadsPastTheEnd) {
    uint8_t bytes[] = {1, 0, 0, 0, 'a', 'b'};
    ByteReader r(bytes, sizeof bytes);
    EXPECT_EQ(r.u32(), 1u);
    EXPECT_EQ(r.cstring(), "");  // no NUL before the end
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.u32(), 0u);
    ByteReader s(bytes, 3);
    EXPECT_EQ(s.u32(), 0u);
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.remaining(), 0u);
}
