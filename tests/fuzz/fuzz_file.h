// Readers that open a path (the archive, the tile files, the preferences
// store) get the fuzz input through an anonymous in-memory file, so the
// whole open-and-read path runs without touching the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tnx::fuzz {

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) {
        fd_ = memfd_create("fuzz", 0);
        size_t done = 0;
        while (fd_ >= 0 && done < size) {
            ssize_t n = write(fd_, data + done, size - done);
            if (n <= 0) break;
            done += size_t(n);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0) close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    // A path that opens the same bytes (independently positioned).
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_ = -1;
};

}  // namespace tnx::fuzz
