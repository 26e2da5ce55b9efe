#include "globe/imagery/imagery_loader.h"

#include <algorithm>
#include <cmath>

namespace tnx::globe {

ImageryLoader::ImageryLoader(ImagerySource source, net::HttpClient* http, std::unique_ptr<ImageryDiskCache> disk,
                             ImageryLoaderLimits limits)
    : source_(std::move(source)), http_(http), worker_(std::move(disk)), limits_(limits) {}

ImageryLoader::~ImageryLoader() {
    if (http_)
        for (const auto& [ticket, t] : tickets_)
            if (t.http) http_->cancel(ticket);
}

void ImageryLoader::setDay(int day) { day_ = day; }

void ImageryLoader::setDiskLimit(uint64_t bytes) { worker_.setCacheLimit(bytes); }

void ImageryLoader::want(std::vector<ImageryTileKey> keys) {
    // Only what the memory budget can hold at once is asked for.
    const int px = source_.grid().tilePixels();
    const uint64_t tileBytes = ImageryImage::levelOffset(px, 16) * sizeof(uint32_t);
    const size_t most = size_t(std::clamp<uint64_t>(limits_.memoryBytes / tileBytes, 1, 512));
    if (keys.size() > most) keys.resize(most);
    wanted_ = std::move(keys);
    wantedSet_ = std::set<ImageryTileKey>(wanted_.begin(), wanted_.end());
}

std::string ImageryLoader::cacheName(const ImageryTileKey& key, int day) const {
    return source_.cacheFolder() + '/' + (source_.daily() ? isoDate(day) : std::string("static")) + '/' +
           std::to_string(key.level) + '/' + std::to_string(key.row) + '/' + std::to_string(key.column) + ".jpg";
}

double ImageryLoader::pause(int failures) const {
    return std::min(limits_.longestPause, 2.0 * std::ldexp(1.0, std::clamp(failures, 1, 30) - 1));
}

bool ImageryLoader::update(double now) {
    now_ = now;
    changed_ = false;
    if (http_)
        for (net::HttpResult& r : http_->takeResults()) onHttp(r, now);
    for (ImageryWorker::Result& r : worker_.takeResults()) onWorker(r, now);

    const int base = source_.daily() ? day_ : 0;
    for (const ImageryTileKey& key : wanted_) {
        auto held = held_.find(key);
        if (held != held_.end()) held->second.lastWanted = now;
        const RequestId id{key, base};
        auto it = requests_.find(id);
        if (it == requests_.end()) {
            if (held != held_.end() && held->second.tile->day == base) continue;  // here already
            it = requests_.emplace(id, Request{}).first;
        }
        it->second.lastWanted = now;
        schedule(id, it->second, now);
    }

    // Forget what has not been wanted for a while (answers given keep
    // longer, so a view coming back does not ask again at once).
    for (auto it = requests_.begin(); it != requests_.end();) {
        const Request& r = it->second;
        const bool busy = r.stage == Stage::LookingUp || r.stage == Stage::Fetching || r.stage == Stage::Decoding;
        const double keep = r.stage == Stage::Done || r.stage == Stage::Missing ? 300 : 60;
        if (!busy && now - r.lastWanted > keep) it = requests_.erase(it);
        else ++it;
    }
    trimMemory();
    return changed_;
}

void ImageryLoader::schedule(const RequestId& id, Request& r, double now) {
    const int day = dayOf(r, id.second);
    switch (r.stage) {
        case Stage::Lookup: {
            if (worker_.outstanding() >= limits_.maxWorkerJobs) return;
            ImageryWorker::Job job;
            job.kind = ImageryWorker::Job::Kind::Lookup;
            job.ticket = nextTicket_++;
            job.names = {cacheName(id.first, day)};
            job.tilePixels = source_.grid().tilePixels();
            tickets_[job.ticket] = Ticket{id, day, false, false};
            worker_.submit(std::move(job));
            r.stage = Stage::LookingUp;
            ++counters_.lookups;
            return;
        }
        case Stage::Waiting:
            if (now < r.retryAt) return;
            r.stage = Stage::Fetch;
            [[fallthrough]];
        case Stage::Fetch: {
            if (!http_ || counters_.inFlight >= limits_.maxRequests || now < pauseUntil_) return;
            const uint64_t ticket = nextTicket_++;
            tickets_[ticket] = Ticket{id, day, false, true};
            r.stage = Stage::Fetching;
            ++counters_.requests;
            counters_.mostInFlight = std::max(counters_.mostInFlight, ++counters_.inFlight);
            http_->get(ticket, source_.url(id.first, day));
            return;
        }
        default: return;
    }
}

void ImageryLoader::onHttp(net::HttpResult& result, double now) {
    auto t = tickets_.find(result.id);
    if (t == tickets_.end()) return;
    const Ticket ticket = t->second;
    tickets_.erase(t);
    --counters_.inFlight;
    auto it = requests_.find(ticket.id);
    if (result.status != 0) serverFailures_ = 0;  // the server answers
    if (result.status == 200) {
        // Checked, decoded and kept on disk by the worker, also when the
        // view has moved on: the disk then has it for next time.
        ImageryWorker::Job job;
        job.kind = ImageryWorker::Job::Kind::Decode;
        job.ticket = nextTicket_++;
        job.names = {cacheName(ticket.id.first, ticket.day)};
        job.body = std::move(result.body);
        job.tilePixels = source_.grid().tilePixels();
        tickets_[job.ticket] = Ticket{ticket.id, ticket.day, false, false};
        worker_.submit(std::move(job));
        if (it != requests_.end()) it->second.stage = Stage::Decoding;
        return;
    }
    if (it == requests_.end()) return;
    const TileAnswer a = classifyTileResponse(result.status, {}, source_.grid().tilePixels());
    if (a.outcome == TileOutcome::Missing) {
        ++counters_.missing;
        if (status_.find(" unreachable ") != std::string::npos) status_.clear();
        advance(it->second);
    } else if (result.status == 0) {
        fail(ticket.id, it->second, result.error.empty() ? a.reason : result.error, now, true);
    } else {
        fail(ticket.id, it->second, "server answered " + a.reason, now, false);
    }
}

void ImageryLoader::onWorker(ImageryWorker::Result& result, double now) {
    auto t = tickets_.find(result.ticket);
    if (t == tickets_.end()) return;
    const Ticket ticket = t->second;
    tickets_.erase(t);
    auto it = requests_.find(ticket.id);
    const ImageryTileKey& key = ticket.id.first;
    if (result.kind == ImageryWorker::Job::Kind::Lookup) {
        if (result.found >= 0) {
            ++counters_.fromDisk;
            accept(key, ticket.day - (ticket.standIn ? result.found : 0), std::move(result.answer.image));
            if (!ticket.standIn && it != requests_.end()) it->second.stage = Stage::Done;
            return;
        }
        if (ticket.standIn || it == requests_.end()) return;
        // Not on disk: ask the source, or (offline) look at the day before.
        if (http_) it->second.stage = Stage::Fetch;
        else advance(it->second);
        return;
    }
    if (!result.diskError.empty()) diskStatus_ = "Imagery not kept on disk: " + result.diskError;
    else if (result.kept) diskStatus_.clear();
    switch (result.answer.outcome) {
        case TileOutcome::Tile:
            ++counters_.fromNetwork;
            status_.clear();
            if (it != requests_.end()) {
                accept(key, ticket.day, std::move(result.answer.image));
                it->second.stage = Stage::Done;
            }
            break;
        case TileOutcome::Missing:
            ++counters_.missing;
            if (it != requests_.end()) advance(it->second);
            break;
        default:
            if (it != requests_.end()) fail(ticket.id, it->second, "server sent " + result.answer.reason, now, false);
            break;
    }
}

void ImageryLoader::advance(Request& r) {
    if (source_.daily() && r.attempt < limits_.fallbackDays) {
        ++r.attempt;
        r.stage = Stage::Lookup;
    } else {
        r.stage = Stage::Missing;
    }
}

void ImageryLoader::fail(const RequestId& id, Request& r, const std::string& why, double now, bool unreachable) {
    ++counters_.failures;
    ++r.failures;
    r.retryAt = now + pause(r.failures);
    r.stage = Stage::Waiting;
    double until = r.retryAt;
    // The requests that were under way together fail together: one more
    // failure of the server's, not six, so the pause grows by one step.
    if (unreachable && now >= pauseUntil_) pauseUntil_ = now + pause(++serverFailures_);
    if (unreachable) until = std::max(until, pauseUntil_);
    status_ = "Imagery: " + (unreachable ? source_.host() + " unreachable (" + why + ")" : why) + ", next try in " +
              std::to_string(int(std::ceil(until - now))) + " s";
    // Meanwhile the cache serves what it holds: an earlier day stands in.
    if (source_.daily() && !r.standInAsked && !held_.count(id.first)) {
        r.standInAsked = true;
        ImageryWorker::Job job;
        job.kind = ImageryWorker::Job::Kind::Lookup;
        const int first = dayOf(r, id.second) - 1;
        for (int d = first; d >= id.second - limits_.fallbackDays; --d) job.names.push_back(cacheName(id.first, d));
        if (job.names.empty()) return;
        job.ticket = nextTicket_++;
        job.tilePixels = source_.grid().tilePixels();
        tickets_[job.ticket] = Ticket{id, first, true, false};
        worker_.submit(std::move(job));
    }
}

bool ImageryLoader::accept(const ImageryTileKey& key, int day, ImageryImage image) {
    // Of two tiles for one place, the one nearest the wanted day (and not
    // after it) stays.
    auto distance = [this](int d) { return d <= day_ ? day_ - d : (1 << 20) + d - day_; };
    auto it = held_.find(key);
    if (it != held_.end()) {
        if (source_.daily() && distance(day) > distance(it->second.tile->day)) return false;
        heldBytes_ -= it->second.tile->image.bytes();
    }
    auto tile = std::make_shared<ImageryTile>();
    tile->key = key;
    tile->day = source_.daily() ? day : 0;
    tile->image = std::move(image);
    tile->serial = ++serial_;
    heldBytes_ += tile->image.bytes();
    held_[key] = Held{std::move(tile), now_};
    changed_ = true;
    return true;
}

void ImageryLoader::trimMemory() {
    if (heldBytes_ <= limits_.memoryBytes) return;
    std::vector<std::pair<double, ImageryTileKey>> idle;
    for (const auto& [key, h] : held_)
        if (!wantedSet_.count(key)) idle.emplace_back(h.lastWanted, key);
    std::sort(idle.begin(), idle.end());
    for (const auto& [when, key] : idle) {
        if (heldBytes_ <= limits_.memoryBytes) break;
        auto it = held_.find(key);
        heldBytes_ -= it->second.tile->image.bytes();
        held_.erase(it);
    }
}

std::shared_ptr<const ImageryTile> ImageryLoader::tile(const ImageryTileKey& key) const {
    auto it = held_.find(key);
    return it == held_.end() ? nullptr : it->second.tile;
}

bool ImageryLoader::settled(const ImageryTileKey& key) const {
    const int base = source_.daily() ? day_ : 0;
    auto held = held_.find(key);
    if (held != held_.end() && held->second.tile->day == base) return true;
    auto it = requests_.find({key, base});
    return it != requests_.end() && (it->second.stage == Stage::Done || it->second.stage == Stage::Missing);
}

}  // namespace tnx::globe
