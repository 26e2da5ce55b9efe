#include "globe/imagery/imagery_disk_cache.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "globe/imagery/tile_response.h"

namespace tnx::globe {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTempMark = ".tmp";
// A temporary younger than this may belong to another Terranox writing now.
constexpr int64_t kStaleTempNanoseconds = int64_t(600) * 1000000000;

int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int64_t modified(const struct stat& st) { return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec; }

// Names are the caller's relative paths; nothing may lead out of the root.
bool safeName(const std::string& name) {
    if (name.empty() || name.front() == '/') return false;
    for (const auto& part : fs::path(name))
        if (part == ".." || part == ".") return false;
    return true;
}

bool writeAll(int fd, std::span<const uint8_t> data) {
    for (size_t at = 0; at < data.size();) {
        ssize_t n = ::write(fd, data.data() + at, data.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += size_t(n);
    }
    return true;
}

}  // namespace

ImageryDiskCache::ImageryDiskCache(fs::path root, uint64_t limitBytes) : root_(std::move(root)), limit_(limitBytes) {}

fs::path ImageryDiskCache::defaultRoot(const char* xdgCacheHome, const char* home) {
    fs::path base;
    if (xdgCacheHome && xdgCacheHome[0] == '/') base = xdgCacheHome;
    else if (home && home[0] == '/') base = fs::path(home) / ".cache";
    else return {};
    return base / "terranox" / "imagery";
}

int64_t ImageryDiskCache::nextStamp(int64_t wanted) {
    lastStamp_ = std::max(wanted, lastStamp_ + 1);
    return lastStamp_;
}

void ImageryDiskCache::track(const std::string& name, uint64_t size, int64_t used) {
    forget(name);
    files_[name] = File{size, used};
    byAge_.emplace(used, name);
    used_ += size;
}

void ImageryDiskCache::forget(const std::string& name) {
    auto it = files_.find(name);
    if (it == files_.end()) return;
    byAge_.erase({it->second.used, name});
    used_ -= it->second.size;
    files_.erase(it);
}

void ImageryDiskCache::scan() {
    files_.clear();
    byAge_.clear();
    used_ = 0;
    std::error_code ec;
    fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, ec), end;
    const int64_t now = nowNanoseconds();
    for (; !ec && it != end; it.increment(ec)) {
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const std::string file = it->path().filename().string();
        if (file.find(kTempMark) != std::string::npos) {
            if (now - modified(st) > kStaleTempNanoseconds) ::unlink(it->path().c_str());
            continue;
        }
        const std::string name = it->path().lexically_relative(root_).string();
        track(name, uint64_t(st.st_size), modified(st));
    }
    for (const auto& [name, file] : files_) lastStamp_ = std::max(lastStamp_, file.used);
    trim();
}

void ImageryDiskCache::setLimit(uint64_t limitBytes) {
    limit_ = limitBytes;
    trim();
}

std::optional<std::vector<uint8_t>> ImageryDiskCache::read(const std::string& name) {
    if (!safeName(name)) return std::nullopt;
    const fs::path path = root_ / name;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        forget(name);
        return std::nullopt;
    }
    struct stat st {};
    std::optional<std::vector<uint8_t>> out;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= kMaxTileBodyBytes) {
        std::vector<uint8_t> bytes(size_t(st.st_size));
        size_t at = 0;
        while (at < bytes.size()) {
            ssize_t n = ::read(fd, bytes.data() + at, bytes.size() - at);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            at += size_t(n);
        }
        if (at == bytes.size()) out = std::move(bytes);
    }
    ::close(fd);
    if (!out) {
        remove(name);
        return std::nullopt;
    }
    // A read is a use: the file's time moves to now, and so does its place.
    ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
    track(name, out->size(), nextStamp(nowNanoseconds()));
    return out;
}

bool ImageryDiskCache::store(const std::string& name, std::span<const uint8_t> bytes) {
    if (!safeName(name)) {
        lastError_ = "a tile name outside the cache";
        return false;
    }
    const fs::path path = root_ / name;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::random_device rd;
    fs::path tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
        tmp = path;
        tmp += kTempMark + std::to_string(rd() % 1000000);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    bool ok = fd >= 0 && writeAll(fd, bytes);
    int error = ok ? 0 : errno;
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        if (fd >= 0) ::unlink(tmp.c_str());
        lastError_ = root_.string() + ": " + std::strerror(error ? error : EIO);
        return false;
    }
    lastError_.clear();
    track(name, bytes.size(), nextStamp(nowNanoseconds()));
    trim();
    return true;
}

void ImageryDiskCache::remove(const std::string& name) {
    if (!safeName(name)) return;
    ::unlink((root_ / name).c_str());
    forget(name);
}

void ImageryDiskCache::trim() {
    while (used_ > limit_ && !byAge_.empty()) {
        const std::string oldest = byAge_.begin()->second;
        remove(oldest);
    }
}

}  // namespace tnx::globe
