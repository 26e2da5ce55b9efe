// Read access to the program's read-only data: a named file is served from
// the single archive "pack.dat" when it holds it, else from the loose file in
// the program's home.
//
// Archive layout (little-endian): anywhere in the first 2 MiB a 44-byte
// header starts with six signature words; then spare word 1 at +28, the
// signed entry count N at +32, spare words 2 and 3 at +36 and +40, then N
// directory entries of 96 bytes (a NUL-terminated name in 72 bytes, the
// offset from the start of the data area, the length, 16 reserved bytes),
// then the data area.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tnx::geodata {

namespace pack {
constexpr std::array<uint32_t, 6> kSignature = {0x15678ADC, 0x22567855, 0xF3356DAA,
                                                0xEEA23459, 0x41453B0C, 0x166CA81A};
constexpr size_t kSignatureBytes = 24;
constexpr size_t kSearchWindow = 0x200000;  // header and directory live here
constexpr size_t kHeaderBytes = 44;
constexpr size_t kSpare1Offset = 28;
constexpr size_t kCountOffset = 32;
constexpr size_t kSpare2Offset = 36;
constexpr size_t kSpare3Offset = 40;
constexpr size_t kEntryBytes = 96;
constexpr size_t kNameBytes = 72;  // including the terminating NUL
constexpr size_t kMaxNameLength = kNameBytes - 1;
constexpr size_t kEntryOffsetField = 72;
constexpr size_t kEntryLengthField = 76;
// The most entries whose directory still fits the search window.
constexpr size_t kMaxEntries = (kSearchWindow - kHeaderBytes) / kEntryBytes;

// The part of a name the archive is searched by: what follows its last
// backslash. A forward slash is no separator ("pack/x.bin" is one name).
std::string_view baseName(std::string_view name);
// ASCII case-insensitive equality.
bool sameName(std::string_view a, std::string_view b);
}  // namespace pack

class PackArchive {
public:
    enum ReadResult : int { kNotFound = 0, kFromArchive = 1, kFromDisk = 2 };

    PackArchive() = default;
    ~PackArchive() = default;
    PackArchive(const PackArchive&) = delete;
    PackArchive& operator=(const PackArchive&) = delete;

    // Looks for the signature in the file's first 2 MiB (any byte offset).
    // On success the new directory and file replace any held before and the
    // entry count is returned (0 for an empty directory). On failure, or
    // when the header or directory does not lie wholly inside the file and
    // the window, the object is left as it was and 0 is returned.
    int open(const std::filesystem::path& path);
    bool isOpen() const { return file_ != nullptr; }
    int entryCount() const { return count_; }
    uint32_t spareWord(int i) const { return i >= 0 && i < 3 ? spare_[size_t(i)] : 0; }
    uint64_t dataOffset() const { return dataOffset_; }

    // Reads `name` (such as "pack\\country.bin"): from the archive by its
    // base name, ignoring ASCII case, else from the loose file in the
    // program's home. Returns kFromArchive, kFromDisk or kNotFound (buffer and
    // length then untouched).
    //
    // maxLength 0: `buffer` is replaced by a new buffer one byte longer than
    //   the whole file, whose last byte is 0 (text can be used as a C
    //   string); the caller owns it.
    // maxLength > 0: at most maxLength bytes go to the start of `buffer`
    //   (grown when it is smaller than what will be read); no terminator.
    // `length` receives the bytes actually read from `offset` on, fewer than
    // asked when the file (or the archive entry) ends first.
    int readFile(std::string_view name, std::vector<uint8_t>& buffer, size_t& length,
                 uint64_t offset = 0, size_t maxLength = 0);

    // The same for the loose file alone, with no archive involved.
    static int readLooseFile(std::string_view name, std::vector<uint8_t>& buffer, size_t& length,
                             uint64_t offset = 0, size_t maxLength = 0);

    // The loose file a name refers to: backslashes become '/', the path is
    // taken in the program's home (then the executable's folder), and a
    // path that does not exist as spelled is matched ignoring letter case.
    static std::filesystem::path looseFilePath(std::string_view name);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    struct Entry {
        std::string name;  // empty when the stored name has no NUL
        uint64_t offset = 0;
        uint64_t length = 0;
    };
    // The last usable entry with this base name, or null.
    const Entry* find(std::string_view baseName) const;

    std::unique_ptr<std::FILE, FileCloser> file_;
    int count_ = 0;
    std::array<uint32_t, 3> spare_{};
    uint64_t dataOffset_ = 0;
    uint64_t fileSize_ = 0;
    std::vector<Entry> entries_;  // the directory, in stored order
};

// The process-wide archive, set once at start-up (null until then).
PackArchive* packArchive();
void setPackArchive(PackArchive* archive);

// Reads through the process-wide archive, or the loose file when none is set.
int readDataFile(std::string_view name, std::vector<uint8_t>& buffer, size_t& length,
                 uint64_t offset = 0, size_t maxLength = 0);

}  // namespace tnx::geodata
