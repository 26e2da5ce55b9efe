// Brings the imagery tiles a view wants into memory, never making the frame
// wait: each wanted tile is looked for in the disk cache first (on the
// worker thread), fetched from the source only when the disk does not hold
// it (at most six requests at once), checked and decoded off the frame
// thread, and kept decoded within a memory budget.
//
// Daily sources show the mosaic of the loader's day; where that day has no
// tile (404, or a tile with nothing in it) the days before are tried, one
// at a time, up to three. Failures are retried with growing pauses; while
// the server cannot be reached nothing new is asked of it until the pause
// ends, and the cache serves what it holds (earlier days too). What goes
// wrong is told in one status line.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "globe/imagery/imagery_source.h"
#include "globe/imagery/imagery_worker.h"
#include "platform/net/http_client.h"

namespace tnx::globe {

struct ImageryTile {
    ImageryTileKey key;
    int day = 0;  // the mosaic's day (daily sources; 0 otherwise)
    ImageryImage image;
    uint64_t serial = 0;  // grows with every tile made ready
};

struct ImageryLoaderLimits {
    uint64_t memoryBytes = uint64_t(256) << 20;
    int maxRequests = 6;
    size_t maxWorkerJobs = 8;
    int fallbackDays = 3;
    double longestPause = 300;  // seconds between retries, at most
};

class ImageryLoader {
public:
    // `http` null: offline, only the disk cache serves. `disk` null: nothing
    // is looked up on or written to disk.
    ImageryLoader(ImagerySource source, net::HttpClient* http, std::unique_ptr<ImageryDiskCache> disk,
                  ImageryLoaderLimits limits = {});
    ~ImageryLoader();
    ImageryLoader(const ImageryLoader&) = delete;
    ImageryLoader& operator=(const ImageryLoader&) = delete;

    const ImagerySource& source() const { return source_; }
    const ImageryLoaderLimits& limits() const { return limits_; }
    // The daily mosaic's day (days since 1970); others ignore it.
    void setDay(int day);
    int day() const { return day_; }
    // The tiles the view wants now, most wanted first (only as many as the
    // memory budget holds are taken).
    void want(std::vector<ImageryTileKey> keys);
    // Once per frame: collects finished work and starts more. `now` is a
    // steady clock in seconds. True when a tile became ready.
    bool update(double now);

    // The tile held for a key (of the loader's day, or failing that the
    // nearest earlier one), or null.
    std::shared_ptr<const ImageryTile> tile(const ImageryTileKey& key) const;
    // Nothing more will come for now: the tile is there, or every day
    // tried had none.
    bool settled(const ImageryTileKey& key) const;
    // One line telling what went wrong last (empty while all is well).
    const std::string& status() const { return status_.empty() ? diskStatus_ : status_; }
    void setDiskLimit(uint64_t bytes);

    struct Counters {
        int lookups = 0;      // disk lookups made
        int fromDisk = 0;     // tiles the disk gave
        int requests = 0;     // requests sent
        int fromNetwork = 0;  // tiles the network gave
        int missing = 0;      // answers "no tile that day"
        int failures = 0;     // failed or refused answers
        int inFlight = 0;     // requests under way now
        int mostInFlight = 0;
    };
    const Counters& counters() const { return counters_; }
    uint64_t memoryUsed() const { return heldBytes_; }
    size_t tilesHeld() const { return held_.size(); }

private:
    enum class Stage { Lookup, LookingUp, Fetch, Fetching, Decoding, Waiting, Missing, Done };
    struct Request {
        Stage stage = Stage::Lookup;
        int attempt = 0;  // days back from the base day
        int failures = 0;
        double retryAt = 0;
        double lastWanted = 0;
        bool standInAsked = false;
    };
    using RequestId = std::pair<ImageryTileKey, int>;  // key, base day
    struct Ticket {
        RequestId id;
        int day = 0;           // the day asked for (a stand-in's first day)
        bool standIn = false;  // a lookup of earlier days while the server fails
        bool http = false;
    };
    struct Held {
        std::shared_ptr<const ImageryTile> tile;
        double lastWanted = 0;
    };

    int dayOf(const Request& r, int baseDay) const { return source_.daily() ? baseDay - r.attempt : 0; }
    std::string cacheName(const ImageryTileKey& key, int day) const;
    void onHttp(net::HttpResult& result, double now);
    void onWorker(ImageryWorker::Result& result, double now);
    void advance(Request& r);  // to the day before, or give up
    void fail(const RequestId& id, Request& r, const std::string& why, double now, bool unreachable);
    void schedule(const RequestId& id, Request& r, double now);
    bool accept(const ImageryTileKey& key, int day, ImageryImage image);
    void trimMemory();
    double pause(int failures) const;

    ImagerySource source_;
    net::HttpClient* http_;
    ImageryWorker worker_;
    ImageryLoaderLimits limits_;
    int day_ = 0;
    std::vector<ImageryTileKey> wanted_;
    std::set<ImageryTileKey> wantedSet_;
    std::map<RequestId, Request> requests_;
    std::map<uint64_t, Ticket> tickets_;
    uint64_t nextTicket_ = 1;
    std::map<ImageryTileKey, Held> held_;
    uint64_t heldBytes_ = 0;
    uint64_t serial_ = 0;
    int serverFailures_ = 0;
    double pauseUntil_ = 0;
    bool changed_ = false;
    double now_ = 0;
    std::string status_;
    std::string diskStatus_;
    Counters counters_;
};

}  // namespace tnx::globe
