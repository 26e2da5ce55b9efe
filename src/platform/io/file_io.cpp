#include "platform/io/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tnx::io {

namespace {

constexpr const char* kTempMark = ".tmp";
constexpr size_t kTempDigits = 5;  // the suffix is a number below 100000

// TERRANOX_SLOW_WRITES=N pauses N microseconds after every block written, so
// the crash tests can kill the program in the middle of a save.
long slowWriteMicroseconds() {
    static const long us = [] {
        const char* v = std::getenv("TERRANOX_SLOW_WRITES");
        return v ? std::max(0L, std::strtol(v, nullptr, 10)) : 0L;
    }();
    return us;
}

bool writeAll(int fd, std::span<const uint8_t> data) {
    const long pause = slowWriteMicroseconds();
    const size_t block = pause == 0 ? data.size() : 64;
    for (size_t at = 0; at < data.size();) {
        ssize_t n = ::write(fd, data.data() + at, std::min(block, data.size() - at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += size_t(n);
        if (pause != 0) ::usleep(useconds_t(pause));
    }
    return true;
}

// Creates a fresh temporary beside `path` and locks it for as long as it is
// open, which tells a live writer's file from one a killed writer left.
int createLockedTemp(const std::filesystem::path& path, std::filesystem::path& tmp) {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = path;
        tmp += kTempMark + std::to_string(rd() % 100000);
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST || errno == EINTR) continue;
            return -1;
        }
        // A filesystem without locks gets an unlocked temporary, which a
        // clean-up cannot lock and so leaves alone.
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        // A clean-up may have removed the file between its creation and the
        // lock; then it is no longer linked and another name is taken.
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            ::unlink(tmp.c_str());
            return -1;
        }
        if (st.st_nlink > 0) return fd;
        ::close(fd);
    }
    return -1;
}

// Flushes the folder's entry for a renamed file. Filesystems that cannot sync
// a folder say so with EINVAL; that is no failure of the save.
bool syncFolder(const std::filesystem::path& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return ok;
}

}  // namespace

std::optional<std::vector<uint8_t>> readWholeFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(data.data()), size)) return std::nullopt;
    return data;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data) {
    std::filesystem::path tmp;
    int fd = createLockedTemp(path, tmp);
    bool ok = fd >= 0;
    if (ok) ok = writeAll(fd, data) && ::fsync(fd) == 0;
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(tmp, path, ec);
        ok = !ec;
        // The rename itself must reach the disk too, or a crash could bring
        // back the old entry (or none) after the caller was told it saved.
        if (ok) ok = syncFolder(path.parent_path());
        else std::filesystem::remove(tmp, ec);
    } else if (fd >= 0) {
        std::filesystem::remove(tmp, ec);
    }
    if (fd >= 0) ::close(fd);
    if (!ok) std::fprintf(stderr, "terranox: warning: could not write %s\n", path.c_str());
    return ok;
}

bool isTempFileOf(const std::string& fileName, const std::string& target) {
    const std::string prefix = target + kTempMark;
    if (target.empty() || fileName.size() <= prefix.size() || fileName.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::string digits = fileName.substr(prefix.size());
    if (digits.size() > kTempDigits) return false;
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int removeStaleTempFiles(const std::filesystem::path& dir, std::span<const std::string> targets) {
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec);
    if (ec) return 0;
    int removed = 0;
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (!std::any_of(targets.begin(), targets.end(), [&](const std::string& t) { return isTempFileOf(name, t); }))
            continue;
        // Never through a link, never anything but a plain file.
        int fd = ::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {}, now {};
        // A writer that is still at work holds the lock: its file stays. The
        // name must still be the file locked (not one renamed away since).
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::lstat(entry.path().c_str(), &now) == 0 && now.st_ino == st.st_ino && now.st_dev == st.st_dev &&
            ::unlink(entry.path().c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

}  // namespace tnx::io
