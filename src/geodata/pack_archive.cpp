#include "geodata/pack_archive.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/home/program_home.h"
#include "platform/io/byte_io.h"

namespace tnx::geodata {

namespace pack {

std::string_view baseName(std::string_view name) {
    size_t cut = name.find_last_of('\\');
    return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace pack

namespace {

PackArchive* g_archive = nullptr;

int64_t fileSize(std::FILE* f) {
    if (fseeko(f, 0, SEEK_END) != 0) return -1;
    off_t size = ftello(f);
    if (fseeko(f, 0, SEEK_SET) != 0) return -1;
    return size;
}

// How many bytes a read takes: the whole file for maxLength 0, else at most
// maxLength.
uint64_t lengthToRead(uint64_t fileLength, size_t maxLength) {
    return maxLength == 0 ? fileLength : std::min<uint64_t>(fileLength, maxLength);
}

// Reads `count` bytes at `position` into the caller's buffer following the
// maxLength rules; returns the bytes actually read.
size_t readInto(std::FILE* f, uint64_t position, uint64_t toRead, uint64_t count,
                size_t maxLength, std::vector<uint8_t>& buffer) {
    if (maxLength == 0) {
        buffer.assign(size_t(toRead) + 1, 0);
    } else if (buffer.size() < count) {
        buffer.resize(size_t(count));
    }
    if (count == 0 || fseeko(f, off_t(position), SEEK_SET) != 0) return 0;
    return std::fread(buffer.data(), 1, size_t(count), f);
}

// `name` under `base`, each component matched ignoring ASCII case when the
// exact spelling does not exist. Empty when nothing matches.
std::filesystem::path resolveIgnoringCase(const std::filesystem::path& base,
                                          const std::filesystem::path& relative) {
    std::error_code ec;
    std::filesystem::path at = base;
    for (const auto& part : relative) {
        std::filesystem::path exact = at / part;
        if (part == "." || part == ".." || std::filesystem::exists(exact, ec)) {
            at = exact;
            continue;
        }
        std::string wanted = part.string();
        std::filesystem::path found;
        for (std::filesystem::directory_iterator it(at, ec), end; !ec && it != end; it.increment(ec)) {
            if (pack::sameName(it->path().filename().string(), wanted)) {
                found = it->path();
                break;
            }
        }
        if (found.empty()) return {};
        at = found;
    }
    return at;
}

}  // namespace

PackArchive* packArchive() { return g_archive; }
void setPackArchive(PackArchive* archive) { g_archive = archive; }

int readDataFile(std::string_view name, std::vector<uint8_t>& buffer, size_t& length, uint64_t offset,
                 size_t maxLength) {
    if (g_archive) return g_archive->readFile(name, buffer, length, offset, maxLength);
    return PackArchive::readLooseFile(name, buffer, length, offset, maxLength);
}

int PackArchive::open(const std::filesystem::path& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return 0;
    int64_t size = fileSize(file.get());
    if (size < 0) return 0;

    std::vector<uint8_t> window(size_t(std::min<int64_t>(size, int64_t(pack::kSearchWindow))));
    size_t got = window.empty() ? 0 : std::fread(window.data(), 1, window.size(), file.get());
    window.resize(got);

    uint8_t pattern[pack::kSignatureBytes];
    for (size_t i = 0; i < pack::kSignature.size(); ++i) io::storeU32(pattern + 4 * i, pack::kSignature[i]);
    auto hit = std::search(window.begin(), window.end(),
                           std::boyer_moore_horspool_searcher(pattern, pattern + sizeof pattern));
    if (hit == window.end()) return 0;
    const uint64_t start = uint64_t(hit - window.begin());

    // The header and the whole directory must lie inside what was read,
    // i.e. inside both the file and the search window.
    if (start + pack::kHeaderBytes > got) return 0;
    const uint8_t* header = window.data() + start;
    int32_t stored = io::loadI32(header + pack::kCountOffset);
    uint64_t count = stored > 0 ? uint64_t(stored) : 0;
    uint64_t directoryEnd = start + pack::kHeaderBytes + count * pack::kEntryBytes;
    if (directoryEnd > got) return 0;

    const uint8_t* directory = header + pack::kHeaderBytes;
    std::vector<Entry> entries(static_cast<size_t>(count));
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint8_t* e = directory + i * pack::kEntryBytes;
        const void* nul = std::memchr(e, 0, pack::kNameBytes);
        if (nul) entries[i].name.assign(reinterpret_cast<const char*>(e), static_cast<const uint8_t*>(nul) - e);
        entries[i].offset = io::loadU32(e + pack::kEntryOffsetField);
        entries[i].length = io::loadU32(e + pack::kEntryLengthField);
    }

    file_ = std::move(file);
    count_ = int(count);
    spare_ = {io::loadU32(header + pack::kSpare1Offset), io::loadU32(header + pack::kSpare2Offset),
              io::loadU32(header + pack::kSpare3Offset)};
    dataOffset_ = directoryEnd;
    fileSize_ = uint64_t(size);
    entries_ = std::move(entries);
    return count_;
}

const PackArchive::Entry* PackArchive::find(std::string_view baseName) const {
    // The last usable match wins, so a later duplicate overrides an earlier one.
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->name.empty() || !pack::sameName(it->name, baseName)) continue;
        // An entry reaching past the end of the file is treated as absent.
        if (dataOffset_ + it->offset + it->length > fileSize_) continue;
        return &*it;
    }
    return nullptr;
}

int PackArchive::readFile(std::string_view name, std::vector<uint8_t>& buffer, size_t& length,
                          uint64_t offset, size_t maxLength) {
    if (file_ && count_ > 0) {
        if (const Entry* entry = find(pack::baseName(name))) {
            uint64_t toRead = lengthToRead(entry->length, maxLength);
            // Never read past the entry into the next file's bytes.
            uint64_t left = offset < entry->length ? entry->length - offset : 0;
            uint64_t count = std::min(toRead, left);
            length = readInto(file_.get(), dataOffset_ + entry->offset + offset, toRead, count, maxLength,
                              buffer);
            return kFromArchive;
        }
    }
    return readLooseFile(name, buffer, length, offset, maxLength);
}

int PackArchive::readLooseFile(std::string_view name, std::vector<uint8_t>& buffer, size_t& length,
                               uint64_t offset, size_t maxLength) {
    if (name.empty()) return kNotFound;
    std::filesystem::path path = looseFilePath(name);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return kNotFound;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return kNotFound;
    int64_t size = fileSize(file.get());
    if (size < 0) return kNotFound;
    uint64_t toRead = lengthToRead(uint64_t(size), maxLength);
    uint64_t left = offset < uint64_t(size) ? uint64_t(size) - offset : 0;
    length = readInto(file.get(), offset, toRead, std::min(toRead, left), maxLength, buffer);
    return kFromDisk;
}

std::filesystem::path PackArchive::looseFilePath(std::string_view name) {
    std::string spelled(name);
    std::replace(spelled.begin(), spelled.end(), '\\', '/');
    std::filesystem::path relative(spelled);
    if (relative.is_absolute()) return relative;
    std::error_code ec;
    std::filesystem::path direct = home::dataFile(spelled);
    if (std::filesystem::exists(direct, ec)) return direct;
    for (const std::filesystem::path& base : home::dataSearchPath()) {
        if (base.empty()) continue;
        std::filesystem::path found = resolveIgnoringCase(base, relative.lexically_normal());
        if (!found.empty()) return found;
    }
    return direct;
}

}  // namespace tnx::geodata
