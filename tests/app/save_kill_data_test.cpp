// Saves that survive a crash: the viewer is killed (SIGKILL) at random
// moments while it writes its files at exit, its writes slowed down so the
// kills land inside them. After every kill each file must be the one from
// before, byte for byte, or a new one that reads back whole.
//
// TERRANOX_KILL_ROUNDS sets the number of kills (scripts/kill-test.sh runs
// 100); the suite does 20.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/io/file_io.h"
#include "settings/configuration_file.h"
#include "settings/preferences_store.h"
#include "settings/settings_record_file.h"
#include "settings/view_core_record.h"
#include "support/private_display.h"
#include "support/test_home.h"
#include "support/required_tool.h"

extern char** environ;

using namespace tnx;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {"3dvis.ini", "pref.ini", "Terranox.ini"};

// Starts a program with its output appended to `log`.
pid_t spawn(const std::vector<std::string>& args, const fs::path& log) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int r = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return r == 0 ? pid : 0;
}

// Exit status, or nothing while the process still runs after `timeout`.
std::optional<int> waitFor(pid_t pid, std::chrono::milliseconds timeout) {
    auto end = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return status;
        if (r < 0 || Clock::now() > end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// A file the viewer wrote reads back whole: its readers take all of it and
// write the same bytes again.
bool readsBackWhole(const std::string& name, const fs::path& path, const std::vector<uint8_t>& bytes) {
    if (name == "3dvis.ini") {
        settings::ViewCoreRecord root;
        if (settings::SettingsRecordFile::loadImage(bytes, root) != int(bytes.size())) return false;
        auto again = settings::SettingsRecordFile::assemble(root);
        return again && *again == bytes;
    }
    if (name == "pref.ini") {
        settings::PreferencesStore store;
        store.open(path);
        return store.entryCount() > 0 && store.serialize() == bytes;
    }
    settings::ConfigurationFile file;
    if (file.loadImage(bytes) != 0) return false;
    auto again = file.assemble();
    return again && *again == bytes;
}

class SaveKill : public ::testing::Test {
protected:
    void SetUp() override {
        const char* app = std::getenv("TERRANOX_APP_DIR");
        exe_ = app ? fs::path(app) / "terranox" : fs::path();
        ASSERT_TRUE(!exe_.empty() && fs::exists(exe_)) << "no built viewer in TERRANOX_APP_DIR";
        TNX_NEED_TOOL(run("command -v xdotool"), "xdotool");
        display_ = std::make_unique<test::PrivateDisplay>("1024x768x24");
        ASSERT_TRUE(display_->ok()) << "Xvfb did not start";
        home_ = std::make_unique<test::TestHome>();
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("TERRANOX_SLOW_WRITES", "20000", 1);
    }
    void TearDown() override {
        unsetenv("TERRANOX_SLOW_WRITES");
        home_.reset();
        display_.reset();
    }

    // Starts the viewer and waits until its window shows; 0 when it did not
    // (why() then says how it ended and what it printed).
    pid_t startViewer() {
        fs::remove(log());
        pid_t pid = spawn({exe_.string(), "/t"}, log());
        if (pid == 0) return 0;
        std::string search = "xdotool search --onlyvisible --pid " + std::to_string(pid);
        auto end = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < end) {
            if (run(search)) {
                // A few frames in, so the scene is up and will be saved.
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                return pid;
            }
            if (auto status = waitFor(pid, std::chrono::milliseconds(50))) {
                ended_ = *status;
                return 0;
            }
        }
        kill(pid, SIGKILL);
        waitFor(pid, std::chrono::seconds(10));
        return 0;
    }
    void sendEscape(pid_t pid) {
        std::string id = "$(xdotool search --onlyvisible --pid " + std::to_string(pid) + " | head -1)";
        run("xdotool windowfocus --sync " + id + " key --clearmodifiers Escape");
    }
    std::map<std::string, std::vector<uint8_t>> files() const {
        std::map<std::string, std::vector<uint8_t>> out;
        for (const char* name : kFiles)
            if (auto bytes = io::readWholeFile(home_->file(name))) out[name] = *bytes;
        return out;
    }

    fs::path log() const { return home_->file("viewer.log"); }
    std::string why() const {
        std::string text = "status " + std::to_string(ended_) + ": ";
        if (auto bytes = io::readWholeFile(log())) text.append(bytes->begin(), bytes->end());
        return text;
    }

    fs::path exe_;
    int ended_ = -1;
    std::unique_ptr<test::PrivateDisplay> display_;
    std::unique_ptr<test::TestHome> home_;
};

TEST_F(SaveKill, EveryFileIsTheOldOrTheNewOneWhole) {
    int rounds = 20;
    if (const char* v = std::getenv("TERRANOX_KILL_ROUNDS")) rounds = std::max(1, std::atoi(v));

    // A clean run first: how long the exit takes, and the first files.
    pid_t pid = startViewer();
    ASSERT_NE(pid, 0) << "the viewer did not show its window; " << why();
    auto escaped = Clock::now();
    sendEscape(pid);
    auto status = waitFor(pid, std::chrono::seconds(60));
    ASSERT_TRUE(status) << "Escape did not end the viewer";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    auto exitTime = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - escaped);
    auto before = files();
    ASSERT_TRUE(before.count("3dvis.ini") && before.count("pref.ini")) << "the viewer saved nothing at exit";
    for (const auto& [name, bytes] : before)
        ASSERT_TRUE(readsBackWhole(name, home_->file(name), bytes)) << name << " of a clean exit does not read back";

    std::mt19937 random(12345);
    std::uniform_int_distribution<int64_t> delay(0, exitTime.count() + exitTime.count() / 4);
    int killedInside = 0, killedInWrite = 0;
    std::vector<fs::path> leftBehind;
    for (int round = 0; round < rounds; ++round) {
        pid = startViewer();
        ASSERT_NE(pid, 0) << "round " << round << ": the viewer did not show its window; " << why();
        // The viewer clears what the previous kill left behind.
        for (const auto& p : leftBehind) EXPECT_FALSE(fs::exists(p)) << "round " << round << ": " << p << " stayed";
        leftBehind.clear();
        sendEscape(pid);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        if (kill(pid, SIGKILL) == 0 && waitFor(pid, std::chrono::seconds(30)).has_value()) ++killedInside;
        auto after = files();
        for (const auto& [name, old] : before) {
            ASSERT_TRUE(after.count(name)) << "round " << round << ": " << name << " is gone";
            const auto& now = after[name];
            if (now != old) {
                ASSERT_TRUE(readsBackWhole(name, home_->file(name), now))
                    << "round " << round << ": " << name << " is neither the old file nor a whole new one ("
                    << now.size() << " bytes)";
            }
        }
        for (const auto& [name, now] : after) {
            if (!before.count(name)) {
                ASSERT_TRUE(readsBackWhole(name, home_->file(name), now)) << "round " << round << ": new " << name;
            }
        }
        // A temporary file left behind: the kill came in the middle of a write.
        for (const auto& e : fs::directory_iterator(home_->path())) {
            if (e.path().filename().string().find(".tmp") != std::string::npos) {
                ++killedInWrite;
                leftBehind.push_back(e.path());
            }
        }
        before = after;
    }
    EXPECT_GT(killedInside, 0);
    std::printf("%d kills, %d of them in the middle of a write\n", rounds, killedInWrite);
}

// A full disk: the save fails with a message and the old file stays whole.
// Needs a small tmpfs, which only root may mount.
TEST(FullDisk, TheOldFileStaysAndTheFailureIsReported) {
    char pattern[] = "/tmp/terranox-fulldisk-XXXXXX";
    if (!mkdtemp(pattern)) GTEST_SKIP() << "no temporary folder";
    fs::path dir = pattern;
    if (!run("mount -t tmpfs -o size=64k tmpfs " + dir.string())) {
        fs::remove(dir);
        GTEST_SKIP() << "cannot mount a small tmpfs (needs root)";
    }
    fs::path target = dir / "3dvis.ini";
    std::vector<uint8_t> old(3000, 0x11), large(200000, 0x22);
    EXPECT_TRUE(io::writeFileAtomically(target, old));
    // Fill what is left, then try a save that cannot fit.
    if (FILE* filler = std::fopen((dir / "filler").c_str(), "wb")) {
        std::vector<char> block(4096, 1);
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
        }
        std::fclose(filler);
    }
    testing::internal::CaptureStderr();
    bool saved = io::writeFileAtomically(target, large);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(saved);
    EXPECT_NE(message.find("could not write"), std::string::npos) << message;
    EXPECT_EQ(io::readWholeFile(target), old);
    int leftovers = 0;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != "3dvis.ini" && e.path().filename() != "filler") ++leftovers;
    EXPECT_EQ(leftovers, 0) << "a temporary file was left on the full disk";
    run("umount " + dir.string());
    fs::remove(dir);
}

}  // namespace
