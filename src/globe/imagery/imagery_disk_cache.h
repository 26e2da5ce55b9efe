// The imagery tiles kept on disk, under $XDG_CACHE_HOME/terranox/imagery/
// (~/.cache/... without it): one file per tile as the server sent it, named
// by the caller (source folder, day, level, row, column). The cache keeps
// itself below a size limit by removing the tiles used longest ago (a read
// counts as a use and renews the file's time). Each file is written to a
// temporary name and renamed, so a crash or a full disk leaves whole tiles
// or none. Used from one thread only (the imagery worker).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace tnx::globe {

class ImageryDiskCache {
public:
    ImageryDiskCache(std::filesystem::path root, uint64_t limitBytes);

    // $XDG_CACHE_HOME/terranox/imagery, or $HOME/.cache/terranox/imagery; an
    // XDG path that is not absolute is ignored, as the XDG rules say. Empty
    // when neither gives a folder.
    static std::filesystem::path defaultRoot(const char* xdgCacheHome, const char* home);

    // Learns what the folder holds (sizes and ages), removes temporaries a
    // crashed writer left, and trims to the limit.
    void scan();
    void setLimit(uint64_t limitBytes);

    // A tile's bytes, or nothing when absent, unreadable or too big to be a
    // tile (such a file is removed).
    std::optional<std::vector<uint8_t>> read(const std::string& name);
    // Writes a tile atomically, then trims to the limit. False (and
    // lastError() says why) when it could not be written.
    bool store(const std::string& name, std::span<const uint8_t> bytes);
    void remove(const std::string& name);

    const std::filesystem::path& root() const { return root_; }
    uint64_t bytesUsed() const { return used_; }
    size_t fileCount() const { return files_.size(); }
    uint64_t limit() const { return limit_; }
    bool holds(const std::string& name) const { return files_.count(name) != 0; }
    const std::string& lastError() const { return lastError_; }

private:
    struct File {
        uint64_t size = 0;
        int64_t used = 0;  // nanoseconds, the file's modification time
    };
    void forget(const std::string& name);
    void track(const std::string& name, uint64_t size, int64_t used);
    void trim();
    int64_t nextStamp(int64_t wanted);

    std::filesystem::path root_;
    uint64_t limit_;
    uint64_t used_ = 0;
    std::map<std::string, File> files_;
    std::set<std::pair<int64_t, std::string>> byAge_;
    int64_t lastStamp_ = 0;
    std::string lastError_;
};

}  // namespace tnx::globe
