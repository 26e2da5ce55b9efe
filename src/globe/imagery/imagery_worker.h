// The imagery's disk and decoding work, on a thread of its own so that no
// frame waits for a disk, a decoder or a cache scan: tiles are looked up
// in the disk cache and decoded, and bodies from the network are checked,
// decoded and written to the cache. Jobs run in the order given; results
// are collected by the frame thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "globe/imagery/imagery_disk_cache.h"
#include "globe/imagery/tile_response.h"

namespace tnx::globe {

class ImageryWorker {
public:
    struct Job {
        enum class Kind { Lookup, Decode } kind = Kind::Lookup;
        uint64_t ticket = 0;
        // Lookup: the cache names to try, in order; the first whole tile
        // wins. Decode: the one name to keep the body under when it is a tile.
        std::vector<std::string> names;
        std::vector<uint8_t> body;  // Decode
        int tilePixels = 512;
    };
    struct Result {
        Job::Kind kind = Job::Kind::Lookup;
        uint64_t ticket = 0;
        int found = -1;      // Lookup: index of the name found, -1 none
        TileAnswer answer;   // the tile (outcome Tile) or why not
        bool kept = false;   // Decode: written to the disk cache
        std::string diskError;
    };

    // `cache` may be null (nothing on disk: lookups find nothing, tiles are
    // not kept). Its folder is scanned first, on the worker thread.
    explicit ImageryWorker(std::unique_ptr<ImageryDiskCache> cache);
    // Finishes the job under way and drops the rest.
    ~ImageryWorker();
    ImageryWorker(const ImageryWorker&) = delete;
    ImageryWorker& operator=(const ImageryWorker&) = delete;

    void submit(Job job);
    std::vector<Result> takeResults();
    // Jobs given and not yet collected.
    size_t outstanding() const;
    void setCacheLimit(uint64_t bytes);
    // Tiles decoded since the start (for the benchmarks and diagnostics).
    uint64_t decoded() const;

private:
    void run();
    Result work(Job& job);

    std::unique_ptr<ImageryDiskCache> cache_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::vector<Result> results_;
    size_t outstanding_ = 0;
    uint64_t limit_ = 0;
    bool limitChanged_ = false;
    bool stopping_ = false;
    uint64_t decoded_ = 0;
    std::thread thread_;
};

}  // namespace tnx::globe
