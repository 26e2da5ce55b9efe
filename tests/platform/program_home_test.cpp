// The program home rule on temporary folders: a portable program folder, an
// installation under a prefix, a lone executable, and a state folder that
// cannot be written.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/home/program_home.h"
#include "support/test_home.h"

using namespace tnx;
using home::Layout;

namespace {

void touch(const std::filesystem::path& p) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p) << "x";
}

class ProgramHome : public ::testing::Test {
protected:
    void SetUp() override { root_ = home_.path() / "tree"; }
    void TearDown() override { home::setExecutableDir({}); }
    home::Environment user() const { return {"", "", (root_ / "user").string()}; }

    test::TestHome home_;
    std::filesystem::path root_;
};

TEST_F(ProgramHome, PortableFolderHoldsDataAndStateEvenBesideAnInstallation) {
    touch(root_ / "app/pack.dat");
    touch(root_ / "share/terranox/pack.dat");  // ../share/terranox of app/ must not win
    home::Folders f = home::resolveFolders(root_ / "app", user());
    EXPECT_EQ(f.layout, Layout::Portable);
    EXPECT_EQ(f.data, root_ / "app");
    EXPECT_EQ(f.state, root_ / "app");
}

TEST_F(ProgramHome, InstalledProgramReadsThePrefixAndKeepsStateInTheUsersDataFolder) {
    std::filesystem::create_directories(root_ / "prefix/bin");
    touch(root_ / "prefix/share/terranox/pack.dat");
    home::Folders f = home::resolveFolders(root_ / "prefix/bin", user());
    EXPECT_EQ(f.layout, Layout::Installed);
    EXPECT_EQ(f.data, root_ / "prefix/share/terranox");
    EXPECT_EQ(f.state, root_ / "user/.local/share/Terranox");
    // XDG_DATA_HOME moves the state; a relative one is invalid and ignored.
    EXPECT_EQ(home::resolveFolders(root_ / "prefix/bin", {"", (root_ / "xdg").string(), "/nowhere"}).state,
              root_ / "xdg/Terranox");
    EXPECT_EQ(home::resolveFolders(root_ / "prefix/bin", {"", "rel/xdg", (root_ / "user").string()}).state,
              root_ / "user/.local/share/Terranox");
    // TERRANOX_HOME moves only the state.
    f = home::resolveFolders(root_ / "prefix/bin", {(root_ / "mine").string(), "", ""});
    EXPECT_EQ(f.state, root_ / "mine");
    EXPECT_EQ(f.data, root_ / "prefix/share/terranox");
}

TEST_F(ProgramHome, InstallationWithoutDataIsStillInstalledAndLoneExecutableIsBare) {
    std::filesystem::create_directories(root_ / "prefix/bin");
    std::filesystem::create_directories(root_ / "prefix/share/terranox");
    home::Folders f = home::resolveFolders(root_ / "prefix/bin", user());
    EXPECT_EQ(f.layout, Layout::Installed);
    EXPECT_EQ(f.data, root_ / "prefix/share/terranox");

    std::filesystem::create_directories(root_ / "lone/bin");
    f = home::resolveFolders(root_ / "lone/bin", user());
    EXPECT_EQ(f.layout, Layout::Bare);
    EXPECT_EQ(f.data, root_ / "lone/bin");
    EXPECT_EQ(f.installedData, root_ / "lone/share/terranox");
    EXPECT_EQ(f.state, root_ / "user/.local/share/Terranox");
}

TEST_F(ProgramHome, DataFilesComeFromTheStateFolderFirstThenTheInstallation) {
    std::filesystem::create_directories(root_ / "prefix/bin");
    touch(root_ / "prefix/share/terranox/pack.dat");
    touch(root_ / "prefix/share/terranox/globe11c.tem");
    touch(home_.file("globe11c.tem"));  // TestHome's folder is the state folder
    home::setExecutableDir(root_ / "prefix/bin");
    EXPECT_EQ(home::dataFile("pack.dat"), root_ / "prefix/share/terranox/pack.dat");
    EXPECT_EQ(home::dataFile("globe11c.tem"), home_.file("globe11c.tem"));
    // A file found nowhere is placed in the state folder.
    EXPECT_EQ(home::dataFile("missing.bin"), home_.file("missing.bin"));
    EXPECT_EQ(home::homeFile("pref.ini"), home_.file("pref.ini"));
    std::vector<std::filesystem::path> expected{home_.path(), root_ / "prefix/share/terranox"};
    EXPECT_EQ(home::dataSearchPath(), expected);
}

TEST_F(ProgramHome, StateFolderThatCannotBeCreatedIsReportedWithItsName) {
    std::string why;
    EXPECT_TRUE(home::stateFolderWritable(why));
    // A folder below a plain file can never be made, whoever runs the test.
    touch(home_.file("plain"));
    std::string blocked = (home_.file("plain") / "Terranox").string();
    setenv("TERRANOX_HOME", blocked.c_str(), 1);
    EXPECT_FALSE(home::stateFolderWritable(why));
    EXPECT_NE(why.find(blocked), std::string::npos) << why;
    setenv("TERRANOX_HOME", home_.path().c_str(), 1);
}

}  // namespace
