// The engine's smaller parts: error texts, preferences in the registry,
// the log and its classes, the command line, the input buffer's
// pre-buffering, and events the player does not know.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "platform/registry/registry.h"
#include "player/error_code.h"
#include "player/input_buffer.h"
#include "player/local_file_input.h"
#include "player/player.h"
#include "player/playlist.h"
#include "player/preferences.h"
#include "player_test_support.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::player;

namespace {

TEST(ErrorCodes, SeventyTwoTextsInTheirPlaces) {
    EXPECT_EQ(kErrorCount, 72);
    EXPECT_STREQ(errorText(0), "The operation was successful");
    EXPECT_STREQ(errorText(kErrorFileNotFound), "The file was not found");
    EXPECT_STREQ(errorText(kErrorNoPrefValue), "No preference value was found");
    EXPECT_STREQ(errorText(31), "No preference value was found");
    EXPECT_STREQ(errorText(kErrorDeviceNotFound), "The requested device was not found");
    EXPECT_STREQ(errorText(70), "Download denied");
    EXPECT_STREQ(errorText(71), "kError_LastError");
    // Outside the table: the text of the invalid-error code.
    EXPECT_STREQ(errorText(72), "kError_InvalidError");
    EXPECT_STREQ(errorText(-1), "kError_InvalidError");
}

TEST(EnginePreferences, MissingValuesGetTheirDefaultsAndTypedReadsCheckTheText) {
    test::TestHome home;
    std::string key = Preferences::keyPath();
    EXPECT_EQ(key, "SOFTWARE\\Tarnwick\\Terranox\\Mp3player");
    registry::setString(key, "OutputBufferSize", "96");  // set by the user: kept
    Preferences prefs(home.path());
    EXPECT_EQ(registry::getString(key, "InputBufferSize"), "64");
    EXPECT_EQ(registry::getString(key, "OutputBufferSize"), "96");
    EXPECT_EQ(registry::getString(key, "UseDebugLog"), "false");
    EXPECT_EQ(registry::getString(key, "PlaylistRepeat"), "2");
    EngineSettings s = prefs.settings();
    EXPECT_EQ(s.outputBufferKiB, 96);
    EXPECT_EQ(s.inputBufferKiB, 64);
    EXPECT_EQ(s.decoderThreadPriority, 5);
    EXPECT_FALSE(s.playlistShuffle);

    int32_t v = 0;
    bool b = true;
    std::string text;
    EXPECT_EQ(prefs.getInt32("Nothing", v), kErrorNoPrefValue);
    EXPECT_EQ(prefs.getString("Nothing", text), kErrorNoPrefValue);
    EXPECT_EQ(prefs.setBool("PlaylistShuffle", true), kErrorNone);
    EXPECT_EQ(registry::getString(key, "PlaylistShuffle"), "true");
    EXPECT_EQ(prefs.getBool("PlaylistShuffle", b), kErrorNone);
    EXPECT_TRUE(b);
    registry::setString(key, "PreBuffer", "12x");
    EXPECT_EQ(prefs.getInt32("PreBuffer", v), kErrorSyntaxError);
    registry::setString(key, "PreBuffer", "99999999999");
    EXPECT_EQ(prefs.getInt32("PreBuffer", v), kErrorSyntaxError);
    registry::setString(key, "UseDebugLog", "yes");
    EXPECT_EQ(prefs.getBool("UseDebugLog", b), kErrorSyntaxError);
    // Unreadable values leave the settings at their defaults.
    EXPECT_EQ(prefs.settings().preBufferKiB, 0);
    EXPECT_FALSE(prefs.settings().useDebugLog);
    // A number stored as a DWORD reads too.
    registry::setDword(key, "StreamBufferInterval", 7);
    EXPECT_EQ(prefs.settings().streamBufferInterval, 7);
}

TEST(EnginePreferences, TheStandAlonePlayersFolderBecomesTheInstallDirectory) {
    test::TestHome home;
    std::string key = Preferences::keyPath();
    Preferences without(home.path());
    EXPECT_FALSE(registry::getString(key, "InstallDirectory"));
    std::ofstream(home.file("melodra.exe")) << "";
    Preferences with(home.path());
    EXPECT_EQ(registry::getString(key, "InstallDirectory"), home.path().string());
    EXPECT_EQ(registry::getString(key, "DatabaseDirectory"), (home.path() / "db").string());
}

TEST(DebugLog, ClassesFilterMessagesButNeverErrors) {
    test::TestHome home;
    EngineSettings s;
    DebugLog off;
    off.open(home.file("off.log"), s);
    off.error(LogClass::Main, 12, "x");
    EXPECT_FALSE(std::filesystem::exists(home.file("off.log")));

    s.useDebugLog = true;
    s.logDecode = true;
    DebugLog log;
    log.open(home.file("tarnmp3.log"), s);
    log.log(LogClass::Decode, "LMC: Cannot advance to next frame: %d\n", 39);
    log.log(LogClass::Input, "not wanted");
    log.error(LogClass::Output, kErrorDeviceNotFound, "no device");
    log.close();
    std::string text = test::readText(home.file("tarnmp3.log"));
    EXPECT_NE(text.find("Decode: LMC: Cannot advance to next frame: 39\n"), std::string::npos);
    EXPECT_EQ(text.find("not wanted"), std::string::npos);
    EXPECT_NE(text.find("Output: error 44 (The requested device was not found): no device\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(InputBuffer, PreBufferingWaitsForTheAmountOrTheEnd) {
    std::vector<std::string> said;
    InputBuffer small(4096);
    // Enough already: no waiting, nothing said.
    std::vector<uint8_t> data(1500, 7);
    ASSERT_TRUE(small.write(data.data(), data.size()));
    EXPECT_TRUE(small.waitForPreBuffer(2000, [&](const char* t) { said.push_back(t); }));
    EXPECT_TRUE(said.empty());

    // A stream shorter than the amount still starts when it ends.
    InputBuffer shortStream(4096);
    std::thread writer([&] {
        shortStream.write(data.data(), 100);
        shortStream.finish(kErrorNone);
    });
    EXPECT_TRUE(shortStream.waitForPreBuffer(3000, [&](const char* t) { said.push_back(t); },
                                             std::chrono::milliseconds(5)));
    writer.join();
    EXPECT_EQ(said, (std::vector<std::string>{"Buffering up...", "Playing stream..."}));
    uint8_t out[200];
    EXPECT_EQ(shortStream.read(out, sizeof out), 100u);
    EXPECT_EQ(shortStream.read(out, sizeof out), 0u);
    EXPECT_TRUE(shortStream.ended());

    // More than 90% full counts as ready even below the amount.
    InputBuffer nearlyFull(1024);
    std::vector<uint8_t> lots(1000, 1);
    ASSERT_TRUE(nearlyFull.write(lots.data(), lots.size()));
    EXPECT_TRUE(nearlyFull.waitForPreBuffer(64 * 1024, [](const char*) {}, std::chrono::milliseconds(5)));

    // Abort releases a waiting writer and reader.
    InputBuffer blocked(1024);
    std::thread w([&] { EXPECT_FALSE(blocked.write(lots.data(), 1000) && blocked.write(lots.data(), 1000)); });
    blocked.abort();
    w.join();
    EXPECT_EQ(blocked.read(out, sizeof out), 0u);
}

TEST(InputBuffer, BytesComeOutInOrderAcrossTheRingsEnd) {
    InputBuffer ring(1024);
    std::vector<uint8_t> in(10000);
    for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i * 7 + i / 256);
    std::thread writer([&] {
        ring.write(in.data(), in.size());
        ring.finish(kErrorReadFile);
    });
    std::vector<uint8_t> out;
    uint8_t buf[700];
    while (size_t n = ring.read(buf, sizeof buf)) out.insert(out.end(), buf, buf + n);
    writer.join();
    EXPECT_EQ(out, in);
    EXPECT_EQ(ring.endError(), kErrorReadFile);
}

TEST(LocalFileInput, FileUrlsBecomePaths) {
    EXPECT_EQ(LocalFileInput::pathFromItem("file:///music/a%20b.mp3"), "/music/a b.mp3");
    EXPECT_EQ(LocalFileInput::pathFromItem("FILE://localhost/x.mp3"), "/x.mp3");
    EXPECT_EQ(LocalFileInput::pathFromItem("file:///bad%zzescape%4"), "/bad%zzescape%4");
    EXPECT_EQ(LocalFileInput::pathFromItem("/plain/path.mp3"), "/plain/path.mp3");
    EXPECT_EQ(LocalFileInput::pathFromItem("file:/"), "file:/");
}

TEST(Playlist, ShuffleKeepsTheCurrentItemFirstAndOffRestoresTheOrder) {
    Playlist p;
    for (int i = 0; i < 6; ++i) p.add(std::to_string(i));
    p.select(4);
    struct Fixed : RandomSource {
        int32_t next() override { return 0; }
    } first;
    p.setShuffle(true, first);  // always the first left: 0,1,2,3,5 after 4
    std::vector<int> order;
    do order.push_back(p.current());
    while (p.next() && p.position() != 0);
    EXPECT_EQ(order, (std::vector<int>{4, 0, 1, 2, 3, 5}));
    p.select(2);
    p.setShuffle(false, first);
    EXPECT_EQ(p.current(), 2);
    EXPECT_EQ(p.position(), 2);
}

class PlayerCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ctx_ = test::contextWithSink(&sink_, home_.file("tarnmp3.log"), 0);
        player_ = std::make_unique<Player>(*ctx_);
    }
    test::TestHome home_;
    test::HeldSink sink_;
    // Before the player: its event thread may still report to the interface
    // while the player is being destroyed.
    test::RecordingUi ui_;
    std::unique_ptr<EngineContext> ctx_;
    std::unique_ptr<Player> player_;
};

TEST_F(PlayerCommandLine, PatternsAddFilesAndSwitchesDoNot) {
    for (const char* n : {"b.mp3", "a.mp3", "c.txt", ".hidden.mp3"}) std::ofstream(home_.file(n)) << "x";
    std::string pattern = (home_.path() / "*.mp3").string();
    std::string single = home_.file("c.txt").string();
    std::string missing = home_.file("none.mp3").string();
    const char* argv[] = {"terranox", "/t", "-save", pattern.c_str(), "--ui", "hud", "-play", single.c_str(),
                          "http://example.invalid/s.mp3", missing.c_str()};
    player_->setArgs(10, argv);
    EXPECT_TRUE(player_->saveRequested());
    EXPECT_EQ(player_->requestedUserInterfaces(), std::vector<std::string>{"hud"});
    player_->setUserInterfaceAndPlaylist(std::string("\0", 1), &ui_);
    // None of them is a song: each is tried once, in playlist order, and
    // named in its error report.
    ASSERT_TRUE(ui_.waitFor([&](const auto&) { return ui_.stateChangesTo(PlayerState::Stopped) >= 1; }));
    std::vector<std::string> paths;
    for (const auto& e : ui_.events())
        if (auto* r = std::get_if<ErrorReport>(&e.data)) paths.push_back(r->text);
    // Sorted matches without the hidden file, the file named by itself, the
    // stream left as it is; the missing file matched nothing.
    EXPECT_EQ(paths, (std::vector<std::string>{home_.file("a.mp3").string(), home_.file("b.mp3").string(), single,
                                               "http://example.invalid/s.mp3"}));
}

TEST_F(PlayerCommandLine, HelpPrintsTheUsageAndQuits) {
    const char* argv[] = {"terranox", "--help"};
    testing::internal::CaptureStdout();
    player_->setArgs(2, argv);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Tarnwick version 2.0.8 -- Usage:\n\n", 0), 0u);
    EXPECT_NE(out.find("terranox [-save] [-ui <UI plugin name>] <MP3 file/stream> [MP3 file/stream] ...\n\n"),
              std::string::npos);
    std::binary_semaphore quit(0);
    player_->setQuitSignal(&quit);
    player_->setUserInterfaceAndPlaylist(std::string("\0", 1), &ui_);
    quit.acquire();  // the quit posted by help was serviced
    player_->join();
    EXPECT_EQ(ui_.events().back().number, kEventCleanup);
}

TEST_F(PlayerCommandLine, UnknownEventsAreLoggedAndDiscardedOthersForwarded) {
    player_->setUserInterfaceAndPlaylist(std::string("\0", 1), &ui_);
    player_->postEvent(Event(0));
    player_->postEvent(Event(82));
    player_->postEvent(Event(81));  // in range, not the player's own: forwarded
    player_->postEvent(Event(kEventStatusMessage, std::string("hello")));
    ASSERT_TRUE(ui_.waitFor([&](const auto& ev) { return test::countAtLeast(ev, kEventStatusMessage, 1); }));
    auto ev = ui_.events();
    EXPECT_TRUE(test::countAtLeast(ev, 81, 1));
    EXPECT_FALSE(test::countAtLeast(ev, 82, 1));
    player_.reset();
    std::string log = test::readText(home_.file("tarnmp3.log"));
    EXPECT_NE(log.find("serviceEvent: Unknown event: 0\n"), std::string::npos);
    EXPECT_NE(log.find("serviceEvent: Unknown event: 82\n"), std::string::npos);
}

}  // namespace
