#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <string>

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

TEST(FileIo, TempNamesAreExactlyTheWritersOwn) {
    EXPECT_TRUE(isTempFileOf("pref.ini.tmp0", "pref.ini"));
    EXPECT_TRUE(isTempFileOf("pref.ini.tmp99999", "pref.ini"));
    EXPECT_FALSE(isTempFileOf("pref.ini.tmp100000", "pref.ini"));  // six digits: not ours
    EXPECT_FALSE(isTempFileOf("pref.ini.tmp", "pref.ini"));
    EXPECT_FALSE(isTempFileOf("pref.ini.tmp12a", "pref.ini"));
    EXPECT_FALSE(isTempFileOf("pref.ini.tmp-1", "pref.ini"));
    EXPECT_FALSE(isTempFileOf("xpref.ini.tmp1", "pref.ini"));
    EXPECT_FALSE(isTempFileOf("pref.ini", "pref.ini"));
    EXPECT_FALSE(isTempFileOf(".tmp1", ""));
}

TEST(FileIo, StaleTempsGoLiveOnesAndOtherFilesStay) {
    tnx::test::TestHome home;
    auto touch = [&](const std::string& name) { std::ofstream(home.file(name)) << "x"; };
    touch("3dvis.ini.tmp4711");   // a killed save
    touch("pref.ini.tmp0");       // another
    touch("pref.ini.tmp123456");  // not a name the writer makes
    touch("notes.ini.tmp1");      // not a file of ours
    touch("outside");
    std::filesystem::create_directory(home.file("pref.ini.tmp2"));
    std::filesystem::create_symlink(home.file("outside"), home.file("pref.ini.tmp3"));
    // A save still at work holds its temporary locked.
    touch("pref.ini.tmp77");
    int live = ::open(home.file("pref.ini.tmp77").c_str(), O_RDONLY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    const std::string targets[] = {"3dvis.ini", "pref.ini"};
    EXPECT_EQ(removeStaleTempFiles(home.path(), targets), 2);
    EXPECT_FALSE(std::filesystem::exists(home.file("3dvis.ini.tmp4711")));
    EXPECT_FALSE(std::filesystem::exists(home.file("pref.ini.tmp0")));
    for (const char* kept : {"pref.ini.tmp123456", "notes.ini.tmp1", "outside", "pref.ini.tmp2", "pref.ini.tmp77"})
        EXPECT_TRUE(std::filesystem::exists(home.file(kept))) << kept;
    EXPECT_TRUE(std::filesystem::is_symlink(home.file("pref.ini.tmp3")));
    ::close(live);
    EXPECT_EQ(removeStaleTempFiles(home.path(), targets), 1);  // its writer is gone now
    EXPECT_EQ(removeStaleTempFiles(home.path() / "missing", targets), 0);
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
