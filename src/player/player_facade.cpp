#include "player/player_facade.h"

#include <cmath>

#include "player/error_code.h"
#include "player/playlist_text.h"

namespace tnx::player {

PlayerFacade::PlayerFacade(const std::string& playlistText, std::unique_ptr<EngineContext> context,
                           UserInterface* observer)
    : context_(context ? std::move(context) : EngineContext::create()) {
    title_.store(std::make_shared<const std::string>());
    message_.store(std::make_shared<const std::string>());
    player_ = std::make_unique<Player>(*context_);
    player_->setQuitSignal(&stopped_);
    // The facade hears each event first, so an observer sees the status
    // already updated.
    player_->registerUserInterface(this);
    player_->registerUserInterface(observer);
    player_->setUserInterfaceAndPlaylist(playlistText, this);
}

PlayerFacade::~PlayerFacade() {
    player_->postEvent(Event(kEventQuit));
    stopped_.acquire();
    player_->join();
    player_.reset();
    context_.reset();
}

void PlayerFacade::stop() { player_->postEvent(Event(kEventStop)); }
void PlayerFacade::play() { player_->postEvent(Event(kEventPlay)); }
void PlayerFacade::next() { player_->postEvent(Event(kEventNext)); }
void PlayerFacade::previous() { player_->postEvent(Event(kEventPrevious)); }
void PlayerFacade::pause() { player_->postEvent(Event(kEventPause)); }

void PlayerFacade::openFiles(const std::vector<std::string>& paths) {
    if (!paths.empty()) player_->addAndPlay(joinPlaylistText(paths), false);
}

void PlayerFacade::setArgs(int argc, const char* const* argv) { player_->setArgs(argc, argv); }

PlayerStatus PlayerFacade::status() const {
    PlayerStatus s;
    int64_t e = elapsed_.load();
    s.elapsedHours = int32_t(e / 3600);
    s.elapsedMinutes = int32_t(e / 60 % 60);
    s.elapsedSeconds = int32_t(e % 60);
    int64_t t = total_.load();
    s.totalHours = int32_t(t / 3600);
    s.totalMinutes = int32_t(t / 60 % 60);
    s.totalSeconds = int32_t(t % 60);
    s.fileNumber = fileNumber_.load();
    s.fileCount = fileCount_.load();
    s.title = *title_.load();
    s.position = position_.load();
    s.length = length_.load();
    s.state = state_.load();
    s.mediaSerial = mediaSerial_.load();
    s.lastError = lastError_.load();
    s.message = *message_.load();
    return s;
}

bool PlayerFacade::spectrum(SpectrumBands& out) const {
    out = {};
    if (state_.load() == PlayerState::Stopped) return false;
    return player_->spectrum().at(player_->heardStreamPosition(), out);
}

uint32_t PlayerFacade::spectrumWriteCount() const { return player_->spectrum().writeCount(); }

void PlayerFacade::acceptEvent(const Event& event) {
    switch (event.number) {
    case kEventCleanup:
        // The engine is going away; say we have let go.
        player_->postEvent(Event(kEventUserInterfaceDone));
        break;
    case kEventMediaInfo:
        if (auto* m = std::get_if<MediaInfo>(&event.data)) {
            total_ = int64_t(std::lround(m->totalSeconds));
            fileNumber_ = m->itemNumber;
            fileCount_ = m->itemCount;
            title_.store(std::make_shared<const std::string>(m->title));
            length_ = int64_t(double(m->totalSeconds) * 1000.0);
            ++mediaSerial_;
        }
        break;
    case kEventPlayTime:
        if (auto* p = std::get_if<PlayTime>(&event.data)) elapsed_ = int64_t(p->hours) * 3600 + p->minutes * 60 + p->seconds;
        break;
    case kEventProgress:
        if (auto* p = std::get_if<Progress>(&event.data)) {
            position_ = p->position;
            if (p->length > 0) length_ = p->length;
        }
        break;
    case kEventStateChanged:
        if (auto* s = std::get_if<PlayerState>(&event.data)) state_ = *s;
        break;
    case kEventError:
        if (auto* r = std::get_if<ErrorReport>(&event.data)) {
            lastError_ = r->code;
            std::string text = errorText(r->code);
            if (!r->text.empty()) text += ": " + r->text;
            message_.store(std::make_shared<const std::string>(std::move(text)));
        }
        break;
    case kEventStatusMessage:
        if (auto* t = std::get_if<std::string>(&event.data)) message_.store(std::make_shared<const std::string>(*t));
        break;
    default:
        break;
    }
}

}  // namespace tnx::player
