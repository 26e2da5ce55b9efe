#include "player/player.h"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/io/file_io.h"
#include "player/error_code.h"
#include "player/local_file_input.h"
#include "player/mpeg_decoder.h"
#include "player/playlist_text.h"

namespace tnx::player {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Files matching a pattern whose last part may hold * and ?, sorted; a
// name without wildcards stands for itself when it is a file.
std::vector<std::string> expandPattern(const std::string& pattern) {
    std::filesystem::path p(pattern);
    std::string leaf = p.filename().string();
    std::error_code ec;
    if (leaf.find_first_of("*?[") == std::string::npos)
        return std::filesystem::is_regular_file(p, ec) ? std::vector<std::string>{pattern} : std::vector<std::string>{};
    std::filesystem::path dir = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
    std::vector<std::string> out;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (fnmatch(leaf.c_str(), name.c_str(), FNM_PERIOD) == 0 && it->is_regular_file(ec))
            out.push_back((p.has_parent_path() ? dir / name : std::filesystem::path(name)).string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The entries of an M3U playlist file: one path a line, '#' lines are
// comments, relative paths are relative to the playlist's folder.
std::vector<std::string> importPlaylistFile(const std::string& file) {
    std::vector<std::string> out;
    auto bytes = io::readWholeFile(file);
    if (!bytes) return out;
    std::filesystem::path base = std::filesystem::path(file).parent_path();
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::filesystem::path entry{std::string(line)};
        if (entry.is_relative() && line.find("://") == std::string_view::npos) entry = base / entry;
        out.push_back(entry.string());
    }
    return out;
}

}  // namespace

Player::Player(EngineContext& context)
    : ctx_(context),
      outputBuffer_(size_t(std::clamp(context.settings.outputBufferKiB, 16, 64 * 1024)) * 1024),
      output_(outputBuffer_, queue_, context.log, context.makeSink) {
    playlist_.setRepeat(RepeatMode(std::clamp(context.settings.playlistRepeat, 0, 2)));
}

Player::~Player() {
    if (eventThread_.joinable()) {
        if (!quitServiced_) postEvent(Event(kEventQuit));
        eventThread_.join();
    }
    stopStages(false);
    output_.stop();
}

void Player::printUsage(const char* program) {
    std::printf("Tarnwick version 2.0.8 -- Usage:\n\n");
    std::printf("%s [-save] [-ui <UI plugin name>] <MP3 file/stream> [MP3 file/stream] ...\n\n", program);
    std::printf("Example:\n\n    %s -shuffle ~/Music/*.mp3\n\n", program);
}

void Player::setArgs(int argc, const char* const* argv) {
    const char* program = argc > 0 && argv[0] ? argv[0] : "terranox";
    AddItems add;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        if (arg.empty()) continue;
        // A leading "/" marks an option as on the desktop it came from, but
        // here it also begins every absolute path: a "/" argument with more
        // slashes in it, or naming a file, is a path.
        std::error_code ec;
        bool option = arg[0] == '-' ||
                      (arg[0] == '/' && arg.find('/', 1) == std::string::npos && !std::filesystem::exists(arg, ec));
        if (!option) {
            if (arg.starts_with("http://") || arg.starts_with("rtp://")) {
                add.items.push_back(arg);
            } else {
                auto files = expandPattern(arg);
                add.items.insert(add.items.end(), files.begin(), files.end());
            }
            continue;
        }
        std::string name = arg.substr(arg[0] == '-' && arg.size() > 1 && arg[1] == '-' ? 2 : 1);
        if (equalsIgnoringCase(name, "help")) {
            printUsage(program);
            postEvent(Event(kEventQuit));
        } else if (equalsIgnoringCase(name, "import")) {
            if (i + 1 < argc && argv[i + 1]) {
                auto entries = importPlaylistFile(argv[++i]);
                add.items.insert(add.items.end(), entries.begin(), entries.end());
            }
        } else if (equalsIgnoringCase(name, "save")) {
            save_ = true;
        } else if (equalsIgnoringCase(name, "shuffle")) {
            add.shuffle = true;
        } else if (name.size() >= 2 && std::tolower(static_cast<unsigned char>(name[0])) == 'u' &&
                   std::tolower(static_cast<unsigned char>(name[1])) == 'i') {
            if (i + 1 < argc && argv[i + 1]) {
                requestedUis_.emplace_back(argv[++i]);
                ctx_.log.log(LogClass::Main, "no user interface named %s here", requestedUis_.back().c_str());
            } else {
                printUsage(program);
                postEvent(Event(kEventQuit));
            }
        }
        // "play" and everything else: nothing to do.
    }
    if (!add.items.empty() || add.shuffle) postEvent(Event(kEventAddItems, std::move(add)));
}

void Player::registerUserInterface(UserInterface* ui) {
    if (ui && std::find(uis_.begin(), uis_.end(), ui) == uis_.end()) uis_.push_back(ui);
}

void Player::setUserInterfaceAndPlaylist(const std::string& playlistText, UserInterface* ui) {
    registerUserInterface(ui);
    playlist_.clear();
    for (std::string& item : splitPlaylistText(playlistText)) playlist_.add(std::move(item));
    if (ctx_.settings.playlistShuffle) playlist_.setShuffle(true, random_);
    ctx_.log.log(LogClass::Main, "playlist of %zu items", playlist_.size());
    if (eventThread_.joinable()) return;
    output_.start();
    eventThread_ = std::thread([this] { eventLoop(); });
    // Play at once.
    postEvent(Event(kEventPlay));
}

void Player::addAndPlay(const std::string& playlistText, bool clear) {
    AddItems add;
    add.items = splitPlaylistText(playlistText);
    add.clear = clear;
    add.play = true;
    postEvent(Event(kEventAddItems, std::move(add)));
}

void Player::postEvent(Event event) { queue_.post(std::move(event)); }

void Player::join() {
    if (eventThread_.joinable()) eventThread_.join();
}

void Player::eventLoop() {
    for (;;) {
        Event e = queue_.take();
        if (serviceEvent(e) != 0) break;
    }
    if (quitSignal_) quitSignal_->release();
}

void Player::forward(const Event& e) {
    for (UserInterface* ui : uis_) ui->acceptEvent(e);
}

void Player::setState(PlayerState s) {
    if (state_.exchange(s) == s) return;
    forward(Event(kEventStateChanged, s));
}

void Player::announceSelection() {
    int32_t cur = playlist_.current();
    MediaInfo info;
    info.itemNumber = cur < 0 ? 0 : playlist_.position() + 1;
    info.itemCount = int32_t(playlist_.size());
    if (cur >= 0) {
        info.path = playlist_.item(size_t(cur));
        info.title = MpegDecoder::titleFromPath(LocalFileInput::pathFromItem(info.path));
    }
    forward(Event(kEventMediaInfo, info));
}

void Player::stopStages(bool flush) {
    if (input_) input_->abort();
    outputBuffer_.abortWriters();
    if (inputThread_.joinable()) inputThread_.join();
    if (decoderThread_.joinable()) decoderThread_.join();
    outputBuffer_.resumeWriters();
    if (flush) output_.flush();
    input_.reset();
    run_ = 0;
}

void Player::startCurrent(bool flush) {
    stopStages(flush);
    int32_t cur = playlist_.current();
    if (cur < 0) {
        ctx_.log.error(LogClass::Main, kErrorNoFiles, "the playlist is empty");
        setState(PlayerState::Stopped);
        return;
    }
    run_ = ++runCounter_;
    if (run_ == 0) run_ = ++runCounter_;  // 0 means "no run"
    const EngineSettings& s = ctx_.settings;
    input_ = std::make_unique<InputBuffer>(size_t(std::clamp(s.inputBufferKiB, 1, 64 * 1024)) * 1024);
    DecodeJob job;
    job.run = run_;
    job.path = LocalFileInput::pathFromItem(playlist_.item(size_t(cur)));
    job.itemNumber = playlist_.position() + 1;
    job.itemCount = int32_t(playlist_.size());
    job.preBufferBytes = size_t(std::clamp(s.preBufferKiB, 0, 64 * 1024)) * 1024;
    ctx_.log.log(LogClass::Main, "playing %d of %d: %s", job.itemNumber, job.itemCount, job.path.c_str());
    // Said before the stages start, so nobody hears a sample while the
    // player still reads as stopped.
    output_.setPaused(false);
    setState(PlayerState::Playing);
    try {
        inputThread_ = std::thread(&LocalFileInput::run, playlist_.item(size_t(cur)), std::ref(*input_),
                                   std::ref(ctx_.log));
    } catch (const std::system_error&) {
        ctx_.log.error(LogClass::Main, kErrorCreateThreadFailed, "Could not create filebuffer thread.");
        forward(Event(kEventError, ErrorReport{kErrorCreateThreadFailed, "Could not run the input plugin."}));
        input_.reset();
        run_ = 0;
        setState(PlayerState::Stopped);
        return;
    }
    try {
        decoderThread_ = std::thread([this, job] {
            MpegDecoder decoder(*input_, outputBuffer_, queue_, spectrum_, ctx_.log);
            decoder.run(job, streamPosition_);
        });
    } catch (const std::system_error&) {
        ctx_.log.error(LogClass::Main, kErrorCreateThreadFailed, "the decoder thread");
        forward(Event(kEventError, ErrorReport{kErrorCreateThreadFailed, "the decoder thread"}));
        stopStages(false);
        setState(PlayerState::Stopped);
        return;
    }
}

void Player::mediaEnded(const MediaEnded& ended) {
    int32_t cur = playlist_.current();
    std::string path = cur >= 0 ? playlist_.item(size_t(cur)) : std::string();
    stopStages(false);
    ctx_.log.log(LogClass::Main, "item ended after %lld frames", (long long)ended.framesPlayed);
    bool failed = ended.error != kErrorNone;
    if (failed) {
        ctx_.log.error(LogClass::Main, ended.error, "skipping %s", path.c_str());
        forward(Event(kEventError, ErrorReport{ended.error, path}));
    }
    failuresInARow_ = failed && ended.framesPlayed == 0 ? failuresInARow_ + 1 : 0;
    if (failuresInARow_ >= int(playlist_.size())) {
        ctx_.log.error(LogClass::Main, kErrorNoFiles, "no item of the playlist can be played");
        failuresInARow_ = 0;
        announceSelection();
        setState(PlayerState::Stopped);
        return;
    }
    // A broken item is not played again, whatever the repeat mode.
    bool more = failed && playlist_.repeat() == RepeatMode::Track ? playlist_.next() : playlist_.advanceAfterEnd();
    if (more) {
        startCurrent(false);
    } else {
        announceSelection();
        setState(PlayerState::Stopped);
    }
}

void Player::addItems(AddItems& add) {
    if (add.clear) {
        stopStages(true);
        playlist_.clear();
        setState(PlayerState::Stopped);
    }
    int32_t first = int32_t(playlist_.size());
    for (std::string& item : add.items) playlist_.add(std::move(item));
    if (add.shuffle) playlist_.setShuffle(true, random_);
    if (add.play && int32_t(playlist_.size()) > first && playlist_.select(first)) startCurrent(true);
}

int Player::serviceEvent(Event& e) {
    if (e.number < kFirstEvent || e.number > kLastEvent) {
        ctx_.log.log(LogClass::Main, "serviceEvent: Unknown event: %d\n", e.number);
        return 0;
    }
    // What a stage says about a run already left behind is old news.
    if (e.run != 0 && e.run != run_) return 0;
    switch (e.number) {
    case kEventPlay:
    case kEventPlayToo: {
        auto* req = std::get_if<PlayRequest>(&e.data);
        if (req && req->item >= 0) {
            if (playlist_.select(req->item)) startCurrent(true);
        } else if (state_ == PlayerState::Paused) {
            output_.setPaused(false);
            setState(PlayerState::Playing);
        } else if (state_ == PlayerState::Stopped) {
            startCurrent(true);
        }
        return 0;
    }
    case kEventStop:
        stopStages(true);
        setState(PlayerState::Stopped);
        forward(Event(kEventPlayTime, PlayTime{}));
        forward(Event(kEventProgress, Progress{}));
        return 0;
    case kEventPause:
        if (state_ == PlayerState::Playing) {
            output_.setPaused(true);
            setState(PlayerState::Paused);
        } else if (state_ == PlayerState::Paused) {
            output_.setPaused(false);
            setState(PlayerState::Playing);
        }
        return 0;
    case kEventNext:
    case kEventPrevious: {
        bool moved = e.number == kEventNext ? playlist_.next() : playlist_.previous();
        if (!moved) return 0;
        failuresInARow_ = 0;
        if (state_ == PlayerState::Stopped) announceSelection();
        else startCurrent(true);
        return 0;
    }
    case kEventQuit:
        stopStages(true);
        output_.stop();
        setState(PlayerState::Stopped);
        forward(Event(kEventCleanup));
        quitServiced_ = true;
        return 1;
    case kEventUserInterfaceDone:
        ctx_.log.log(LogClass::Main, "a user interface has let go");
        return 0;
    case kEventMediaEnded:
        if (auto* ended = std::get_if<MediaEnded>(&e.data)) mediaEnded(*ended);
        return 0;
    case kEventAddItems:
        if (auto* add = std::get_if<AddItems>(&e.data)) addItems(*add);
        return 0;
    default:
        forward(e);
        return 0;
    }
}

}  // namespace tnx::player
