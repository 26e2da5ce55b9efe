// The sound outputs: the WAV file sink, the real-time null sink, the
// choice made from TERRANOX_AUDIO, a machine with no sound device at all,
// and the sound server through Qt (against a private PulseAudio with a
// null sink, when PulseAudio is installed).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <fcntl.h>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "platform/audio/null_sink.h"
#include "platform/audio/qt_audio_sink.h"
#include "platform/audio/wav_file_sink.h"
#include "player/error_code.h"
#include "player/player_facade.h"
#include "player/playlist_text.h"
#include "player/preferences.h"
#include "player_test_support.h"
#include "support/test_home.h"

extern char** environ;

using namespace tnx;
using namespace tnx::audio;

namespace {

std::vector<uint8_t> pcmBytes(const std::vector<int16_t>& s) {
    std::vector<uint8_t> b(s.size() * 2);
    std::memcpy(b.data(), s.data(), b.size());
    return b;
}

TEST(WavFileSink, WritesWhatWasPlayedWithAHeaderFixedUpAtDrainAndClose) {
    test::TestHome home;
    WavFileSink sink(home.file("out.wav"));
    PcmFormat stereo{44100, 2, 16};
    ASSERT_EQ(sink.open(stereo), SinkResult::Ok);
    auto a = test::sineWav(44100, 2, 0.1, {440}).samples;
    auto bytes = pcmBytes(a);
    bytes.push_back(0x55);  // half a frame more: not written
    ASSERT_EQ(sink.write(bytes), SinkResult::Ok);
    EXPECT_EQ(sink.writtenFrames(), 4410);
    EXPECT_EQ(sink.playedFrames(), 4410);
    ASSERT_EQ(sink.drain(), SinkResult::Ok);
    auto mid = test::readWav(home.file("out.wav"));
    ASSERT_TRUE(mid);
    EXPECT_EQ(mid->samples, a);

    // Interrupted writes write nothing until the flush.
    sink.interrupt();
    EXPECT_EQ(sink.write(pcmBytes(a)), SinkResult::Interrupted);
    sink.flush();
    ASSERT_EQ(sink.write(pcmBytes(a)), SinkResult::Ok);

    // The same format again keeps the file; another starts the next one.
    ASSERT_EQ(sink.open(stereo), SinkResult::Ok);
    ASSERT_EQ(sink.write(pcmBytes(a)), SinkResult::Ok);
    auto mono = test::sineWav(22050, 1, 0.05, {300}).samples;
    ASSERT_EQ(sink.open(PcmFormat{22050, 1, 16}), SinkResult::Ok);
    ASSERT_EQ(sink.write(pcmBytes(mono)), SinkResult::Ok);
    sink.close();

    auto first = test::readWav(home.file("out.wav"));
    auto second = test::readWav(home.file("out.2.wav"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->samples.size(), a.size() * 3);
    EXPECT_EQ(first->format, stereo);
    EXPECT_EQ(second->samples, mono);
    EXPECT_EQ(second->format, (PcmFormat{22050, 1, 16}));
    EXPECT_EQ(sink.pathForFormat(3), home.file("out.3.wav"));
    EXPECT_EQ(sink.open(PcmFormat{0, 2, 16}), SinkResult::FormatNotSupported);

    WavFileSink nowhere(home.file("no/such/folder/x.wav"));
    EXPECT_EQ(nowhere.open(stereo), SinkResult::FileFailed);
    EXPECT_EQ(nowhere.write(pcmBytes(a)), SinkResult::FileFailed);
}

TEST(NullSink, HearsAtTheRatePausesAndFlushes) {
    NullSink sink(std::chrono::milliseconds(20));
    ASSERT_EQ(sink.open(PcmFormat{8000, 1, 16}), SinkResult::Ok);
    std::vector<uint8_t> tenth(1600);  // 0.1 s
    ASSERT_EQ(sink.write(tenth), SinkResult::Ok);
    // The writer is held back to the lead: at most 20 ms unheard.
    EXPECT_EQ(sink.writtenFrames(), 800);
    EXPECT_LE(sink.writtenFrames() - sink.playedFrames(), 8000 * 20 / 1000);
    ASSERT_EQ(sink.drain(), SinkResult::Ok);
    EXPECT_EQ(sink.playedFrames(), 800);

    ASSERT_EQ(sink.write(tenth), SinkResult::Ok);
    sink.setPaused(true);
    int64_t held = sink.playedFrames();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(sink.playedFrames(), held);
    // A write blocked by the pause returns when interrupted.
    std::thread writer([&] { EXPECT_EQ(sink.write(tenth), SinkResult::Interrupted); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    sink.interrupt();
    writer.join();
    sink.flush();
    EXPECT_EQ(sink.writtenFrames(), sink.playedFrames());
    sink.setPaused(false);
    ASSERT_EQ(sink.write(tenth), SinkResult::Ok);
    ASSERT_EQ(sink.drain(), SinkResult::Ok);
    EXPECT_EQ(sink.playedFrames(), sink.writtenFrames());
}

TEST(AudioSinkChoice, TheEnvironmentNamesTheSink) {
    test::TestHome home;
    setenv("TERRANOX_AUDIO", "null", 1);
    auto c = createAudioSink();
    EXPECT_EQ(c.sink->description(), "null");
    EXPECT_EQ(c.fallbackReason, SinkResult::Ok);
    setenv("TERRANOX_AUDIO", ("wav:" + home.file("x.wav").string()).c_str(), 1);
    c = createAudioSink();
    EXPECT_EQ(c.sink->description(), "wav file " + home.file("x.wav").string());
    setenv("TERRANOX_AUDIO", "wav:", 1);
    c = createAudioSink();
    EXPECT_EQ(c.sink->description(), "null");
    EXPECT_EQ(c.fallbackReason, SinkResult::FileFailed);
    // No application object here, so no sound server either: silence.
    unsetenv("TERRANOX_AUDIO");
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    c = createAudioSink();
    EXPECT_EQ(c.sink->description(), "null");
    EXPECT_EQ(c.fallbackReason, SinkResult::NoDevice);
}

TEST(NoSoundDevice, TheEngineSaysSoAndPlaysOnSilently) {
    test::TestHome home;
    TNX_REQUIRE_TOOL(lame, "lame");
    auto song = home.file("song.mp3");
    ASSERT_TRUE(test::encodeTone(lame, song, 44100, 1, 0.3, {500}, "-m m"));
    player::Preferences prefs;
    prefs.setInt32("PlaylistRepeat", 0);
    unsetenv("TERRANOX_AUDIO");
    test::RecordingUi ui;
    {
        player::PlayerFacade facade(player::joinPlaylistText({song.string()}), nullptr, &ui);
        ASSERT_TRUE(ui.waitFor([&](const auto&) { return ui.stateChangesTo(player::PlayerState::Stopped) >= 1; }));
        auto s = facade.status();
        EXPECT_EQ(s.lastError, player::kErrorDeviceNotFound);
        EXPECT_NE(s.message.find("The requested device was not found"), std::string::npos);
        EXPECT_EQ(s.title, "song");
    }
    EXPECT_EQ(ui.errorCodes(), std::vector<int>{player::kErrorDeviceNotFound});
    EXPECT_EQ(ui.itemsPlayed(), std::vector<int>{1});
}

// A PulseAudio server of our own with a null sink, in a private folder.
class PrivatePulse {
public:
    bool start(const std::filesystem::path& dir, std::string* why) {
        std::string exe = test::findTool("pulseaudio");
        if (exe.empty()) {
            *why = "'pulseaudio' is not installed (scripts/setup.sh installs it)";
            return false;
        }
        socket_ = dir / "native";
        std::string env1 = "PULSE_RUNTIME_PATH=" + dir.string(), env2 = "HOME=" + dir.string(),
                    env3 = "XDG_RUNTIME_DIR=" + dir.string(), load = "module-native-protocol-unix socket=" + socket_.string();
        std::vector<std::string> args = {exe, "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                                         "--log-target=stderr", "--load=" + load, "--load=module-null-sink"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char*> envp = {env1.data(), env2.data(), env3.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, (dir / "pulse.log").c_str(), O_WRONLY | O_CREAT, 0600);
        int rc = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            pid_ = 0;
            *why = "pulseaudio did not start";
            return false;
        }
        for (int i = 0; i < 100 && !std::filesystem::exists(socket_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!std::filesystem::exists(socket_)) {
            *why = "pulseaudio started but offers no socket: " + test::readText(dir / "pulse.log");
            return false;
        }
        return true;
    }
    std::string server() const { return "unix:" + socket_.string(); }
    ~PrivatePulse() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = 0;
    std::filesystem::path socket_;
};

TEST(QtAudioSink, PlaysThroughASoundServer) {
    test::TestHome home;
    PrivatePulse pulse;
    std::string why;
    if (!pulse.start(home.path(), &why)) GTEST_SKIP() << why;
    setenv("PULSE_SERVER", pulse.server().c_str(), 1);
    int argc = 1;
    char name[] = "audio_output_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    ASSERT_TRUE(QtAudioSink::available(&why)) << why;

    {
        QtAudioSink sink;
        ASSERT_EQ(sink.open(PcmFormat{44100, 2, 16}), SinkResult::Ok);
        auto pcm = pcmBytes(test::sineWav(44100, 2, 0.4, {440}).samples);
        ASSERT_EQ(sink.write(pcm), SinkResult::Ok);
        EXPECT_EQ(sink.writtenFrames(), 17640);
        ASSERT_EQ(sink.drain(), SinkResult::Ok);
        EXPECT_EQ(sink.playedFrames(), 17640);
        // A stop drops what is queued and starts counting from what was heard.
        ASSERT_EQ(sink.write(pcm), SinkResult::Ok);
        sink.flush();
        EXPECT_EQ(sink.writtenFrames(), sink.playedFrames());
        EXPECT_TRUE(sink.setVolume(0.5));
        sink.close();
    }

    // The engine through it, chosen as the viewer chooses it.
    TNX_REQUIRE_TOOL(lame, "lame");
    auto song = home.file("song.mp3");
    ASSERT_TRUE(test::encodeTone(lame, song, 48000, 2, 0.5, {700}));
    player::Preferences prefs;
    prefs.setInt32("PlaylistRepeat", 0);
    unsetenv("TERRANOX_AUDIO");
    test::RecordingUi ui;
    {
        player::PlayerFacade facade(player::joinPlaylistText({song.string()}), nullptr, &ui);
        ASSERT_TRUE(ui.waitFor([&](const auto&) { return ui.stateChangesTo(player::PlayerState::Stopped) >= 1; }));
        EXPECT_EQ(facade.status().lastError, 0);
    }
    EXPECT_TRUE(ui.errorCodes().empty());
    EXPECT_EQ(ui.itemsPlayed(), std::vector<int>{1});
    unsetenv("PULSE_SERVER");
}

}  // namespace
