// The start of a run on the desktop: the switches screen-saver managers
// pass, which window the saver draws in, the message for missing data, the
// folders --help names, and the manual page made from --help.
#include <gtest/gtest.h>

#include <fstream>

#include "app/command_line.h"
#include "app/launch_checks.h"
#include "app/manual_page.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::app;

namespace {

LaunchOptions parse(std::vector<std::string> args, std::string& text) { return extractLaunchOptions(args, text); }

TEST(ManagerSwitches, RootAndWindowIdAreTakenOutBeforeTheSaverSwitches) {
    std::string text;
    LaunchOptions o = parse({"-root"}, text);
    ASSERT_TRUE(o.saverWindow);
    EXPECT_TRUE(o.saverWindow->root);
    EXPECT_EQ(text, "");  // nothing left for the installer's length rule
    o = parse({"-window-id", "0x2A00007"}, text);
    ASSERT_TRUE(o.saverWindow);
    EXPECT_EQ(o.saverWindow->id, 0x2A00007u);
    EXPECT_EQ(text, "");
    o = parse({"--window-id=44040199", "/s"}, text);
    EXPECT_EQ(o.saverWindow->id, 44040199u);
    EXPECT_EQ(text, "/s");
    EXPECT_TRUE(parse({"--version"}, text).version);
}

TEST(ManagerSwitches, WindowNumbersOutsideOneToThirtyTwoBitsAreRefused) {
    uint64_t id = 0;
    EXPECT_TRUE(parseWindowId("0xFFFFFFFF", id));
    EXPECT_EQ(id, 0xFFFFFFFFu);
    EXPECT_TRUE(parseWindowId("1", id));
    for (const char* bad : {"0x100000000", "4294967296", "0", "0x0", "0x", "", "12ab", "-5", "0x-1", "99999999999"})
        EXPECT_FALSE(parseWindowId(bad, id)) << bad;
    std::string text;
    for (std::vector<std::string> args : {std::vector<std::string>{"-window-id"}, {"-window-id", "0"},
                                          {"-window-id", "window"}, {"-window-idx"}})
        EXPECT_FALSE(parse(args, text).error.empty()) << args.back();
}

TEST(ManagerSwitches, WindowIdWinsThenTheManagersWindowThenTheRoot) {
    LaunchOptions::SaverWindow root{true, 0};
    EXPECT_EQ(saverWindowFor(root, "0x1c00005"), 0x1c00005u);
    EXPECT_EQ(saverWindowFor(root, "29360133"), 29360133u);
    EXPECT_EQ(saverWindowFor(root, nullptr), 0u);
    EXPECT_EQ(saverWindowFor(root, "garbage"), 0u);
    EXPECT_EQ(saverWindowFor({true, 77}, "0x1c00005"), 77u);
    // Without -root the manager's variable is not ours to follow.
    EXPECT_EQ(saverWindowFor({false, 0}, "0x1c00005"), 0u);
}

TEST(LaunchChecks, OnlyRunsThatDrawTheGlobeNeedTheData) {
    LaunchOptions none;
    EXPECT_TRUE(drawsGlobe("/t", none));
    EXPECT_TRUE(drawsGlobe("-s", none));
    EXPECT_TRUE(drawsGlobe("/x", none));  // any other letter is the saver
    EXPECT_FALSE(drawsGlobe("", none));   // the settings dialog
    EXPECT_FALSE(drawsGlobe("/c", none));
    EXPECT_FALSE(drawsGlobe("/a", none));
    LaunchOptions managed;
    managed.saverWindow = LaunchOptions::SaverWindow{true, 0};
    EXPECT_TRUE(drawsGlobe("", managed));
    LaunchOptions snapshot;
    snapshot.snapshotPath = "x.png";
    EXPECT_TRUE(drawsGlobe("/c", snapshot));
}

TEST(LaunchChecks, MissingDataNamesEveryFolderLookedInAndHowToBuildIt) {
    test::TestHome t;
    home::Folders f;
    f.layout = home::Layout::Installed;
    f.data = t.path() / "prefix/share/terranox";
    f.installedData = f.data;
    f.state = t.path() / "state";
    auto message = missingDataMessage(f);
    ASSERT_TRUE(message);
    EXPECT_NE(message->find(f.data.string() + "\n"), std::string::npos) << *message;
    EXPECT_NE(message->find(f.state.string() + "\n"), std::string::npos) << *message;
    EXPECT_NE(message->find("scripts/build-data.sh"), std::string::npos);
    EXPECT_NE(foldersHelp(f).find("none found"), std::string::npos);
    // pack.dat in the state folder is data found.
    std::filesystem::create_directories(f.state);
    std::ofstream(f.state / "pack.dat") << "x";
    EXPECT_FALSE(missingDataMessage(f));
    EXPECT_NE(foldersHelp(f).find("data      " + f.state.string() + " (in the settings folder)"), std::string::npos);
    std::filesystem::remove(f.state / "pack.dat");
    std::filesystem::create_directories(f.data);
    std::ofstream(f.data / "pack.dat") << "x";
    EXPECT_FALSE(missingDataMessage(f));
    std::string help = foldersHelp(f);
    EXPECT_NE(help.find("data      " + f.data.string() + " (installed)"), std::string::npos) << help;
    EXPECT_NE(help.find("settings  " + f.state.string()), std::string::npos) << help;
}

TEST(ManualPage, EveryHelpEntryBecomesATaggedParagraphWithMinusSignsEscaped) {
    std::string help =
        "Usage: terranox [switch] [options]\n"
        "\n"
        "Switches:\n"
        "  /t          the viewer\n"
        "  InstallTemAndTexture FILE    install from FILE\n"
        "\n"
        "Options:\n"
        "  --size WxH            the snapshot's size,\n"
        "                        e.g. 1280x720 \\ or more\n"
        "  -q          .quiet, a text starting with a dot\n";
    std::string page = manualPage(help, "1.2.3");
    EXPECT_EQ(page.rfind(".TH TERRANOX 1 \"\" \"terranox 1.2.3\"", 0), 0u);
    EXPECT_NE(page.find(".SH SYNOPSIS\n.B terranox\n[switch] [options]\n"), std::string::npos);
    EXPECT_NE(page.find(".SS \"Switches\"\n.TP\n.B /t\nthe viewer\n"), std::string::npos);
    EXPECT_NE(page.find(".TP\n.B InstallTemAndTexture FILE\ninstall from FILE\n"), std::string::npos);
    // A continuation line joins its entry; backslashes and minus signs are escaped.
    EXPECT_NE(page.find(".B \\-\\-size WxH\nthe snapshot's size, e.g. 1280x720 \\e or more\n"), std::string::npos)
        << page;
    // A text line never starts with a control character.
    EXPECT_NE(page.find(".B \\-q\n\\&.quiet, a text starting with a dot\n"), std::string::npos) << page;
    EXPECT_EQ(page.find("\n.quiet"), std::string::npos);
}

TEST(ManualPage, TheProgramsOwnHelpLosesNoSwitch) {
    std::string page = manualPage(helpText(), "0");
    for (const char* term : {".B /t\n", ".B /s\n", ".B /c\n", ".B /a\n", ".B \\-root\n", ".B \\-window\\-id ID\n",
                             ".B \\-\\-snapshot FILE.png\n", ".B \\-\\-version\n", ".B \\-\\-help\n"})
        EXPECT_NE(page.find(term), std::string::npos) << term;
}

}  // namespace
