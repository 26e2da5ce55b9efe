#include "settings/preferences_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>

#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"

namespace tnx::settings {

namespace {

constexpr size_t kBlobGrowthSlack = 65536;
constexpr size_t kEntryGrowthStep = 100;
constexpr size_t kZeroHeadLength = 400;

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

bool keysEqual(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (asciiLower(*a) != asciiLower(*b)) return false;
        if (*a == 0) return true;
    }
}

PreferencesStore* g_preferences = nullptr;

}  // namespace

PreferencesStore::PreferencesStore() { reset(); }

void PreferencesStore::reset() {
    entries_.clear();
    blob_.clear();
    entries_.shrink_to_fit();
    blob_.shrink_to_fit();
    entryCapacity_ = kInitialEntryCapacity;
    blobCapacity_ = kInitialBlobCapacity;
    entries_.reserve(entryCapacity_);
    blob_.reserve(blobCapacity_);
}

void PreferencesStore::reserveEntries(size_t capacity) {
    entryCapacity_ = capacity;
    entries_.reserve(capacity);
}

void PreferencesStore::reserveBlob(size_t capacity) {
    blobCapacity_ = capacity;
    blob_.reserve(capacity);
}

void PreferencesStore::open(const std::filesystem::path& path) {
    reset();
    path_ = path;
    auto image = io::readWholeFile(path);
    if (!image) return;
    if (!load(*image)) reset();
}

// Takes the image only when every count, offset and length lies inside the
// file and every key is NUL-terminated with its value right behind it; the
// entries' regions must not overlap, or moving values later would garble them.
bool PreferencesStore::load(std::span<const uint8_t> image) {
    if (image.size() < kHeadLength) return false;
    const uint64_t count = io::loadU32(image.data() + 404);
    const uint64_t blobLength = io::loadU32(image.data() + 408);
    if (kHeadLength + kEntryLength * count + blobLength > image.size()) return false;

    const uint8_t* table = image.data() + kHeadLength;
    const uint8_t* blob = table + kEntryLength * count;
    std::vector<Entry> entries(count);
    for (uint64_t i = 0; i < count; ++i) {
        Entry& e = entries[i];
        e.keyOffset = io::loadU32(table + kEntryLength * i);
        e.valueLength = io::loadU32(table + kEntryLength * i + 4);
        e.valueOffset = io::loadU32(table + kEntryLength * i + 8);
        if (e.keyOffset >= blobLength) return false;
        const void* nul = std::memchr(blob + e.keyOffset, 0, blobLength - e.keyOffset);
        if (!nul) return false;
        uint64_t keyEnd = uint64_t(static_cast<const uint8_t*>(nul) - blob) + 1;
        if (e.valueOffset != keyEnd) return false;
        if (uint64_t(e.valueOffset) + e.valueLength > blobLength) return false;
    }
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return entries[a].keyOffset < entries[b].keyOffset; });
    for (size_t i = 1; i < order.size(); ++i) {
        const Entry& prev = entries[order[i - 1]];
        if (uint64_t(prev.valueOffset) + prev.valueLength > entries[order[i]].keyOffset) return false;
    }

    if (count > entryCapacity_) reserveEntries(count + kEntryGrowthStep);
    if (blobLength > blobCapacity_) reserveBlob(blobCapacity_ + (blobLength - blobCapacity_ + kBlobGrowthSlack));
    entries_.assign(entries.begin(), entries.end());
    blob_.assign(blob, blob + blobLength);
    return true;
}

int PreferencesStore::find(const char* key) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (keysEqual(reinterpret_cast<const char*>(blob_.data() + entries_[i].keyOffset), key)) return int(i);
    }
    return -1;
}

int PreferencesStore::getBinary(const char* key, void* buffer, uint32_t* length) const {
    // A missing buffer is refused whatever the length, so a caller probing
    // with (nullptr, 0) learns nothing by accident.
    if (!key || !length || !buffer) return kBadArgument;
    int index = find(key);
    if (index < 0) return kNotFound;
    const Entry& e = entries_[size_t(index)];
    if (*length < e.valueLength) return kBufferTooSmall;
    if (e.valueLength > 0) std::memcpy(buffer, blob_.data() + e.valueOffset, e.valueLength);
    *length = e.valueLength;
    return kOk;
}

int PreferencesStore::setBinary(const char* key, const void* data, uint32_t length) {
    if (!key || !data) return kBadArgument;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const uint64_t fileLength = kHeadLength + kEntryLength * uint64_t(entries_.size()) + blob_.size();
    constexpr uint64_t kMaxFileLength = std::numeric_limits<uint32_t>::max();

    int index = find(key);
    if (index >= 0) {
        Entry& e = entries_[size_t(index)];
        if (length != e.valueLength) {
            const int64_t diff = int64_t(length) - int64_t(e.valueLength);
            if (int64_t(fileLength) + diff > int64_t(kMaxFileLength)) return kBadArgument;
            const size_t oldEnd = size_t(e.valueOffset) + e.valueLength;
            const size_t tailLength = blob_.size() - oldEnd;
            const size_t needed = size_t(int64_t(blob_.size()) + diff);
            if (needed > blobCapacity_) reserveBlob(blobCapacity_ + (needed - blobCapacity_ + kBlobGrowthSlack));
            if (diff > 0) {
                blob_.resize(needed);
                std::memmove(blob_.data() + oldEnd + diff, blob_.data() + oldEnd, tailLength);
            } else {
                std::memmove(blob_.data() + oldEnd + diff, blob_.data() + oldEnd, tailLength);
                blob_.resize(needed);
            }
            // Everything stored behind this value moved: keys as well as values.
            for (size_t i = 0; i < entries_.size(); ++i) {
                Entry& other = entries_[i];
                if (i == size_t(index) || other.keyOffset < oldEnd) continue;
                other.keyOffset = uint32_t(int64_t(other.keyOffset) + diff);
                other.valueOffset = uint32_t(int64_t(other.valueOffset) + diff);
            }
            e.valueLength = length;
        }
        if (length > 0) std::memcpy(blob_.data() + e.valueOffset, bytes, length);
        return kOk;
    }

    const size_t keyLength = std::strlen(key);
    if (fileLength + kEntryLength + keyLength + 1 + length > kMaxFileLength) return kBadArgument;
    if (entries_.size() == entryCapacity_) reserveEntries(entryCapacity_ + kEntryGrowthStep);
    const size_t needed = blob_.size() + keyLength + 1 + length;
    if (needed > blobCapacity_) reserveBlob(blobCapacity_ + (needed - blobCapacity_ + kBlobGrowthSlack + 1));
    Entry e;
    e.keyOffset = uint32_t(blob_.size());
    blob_.insert(blob_.end(), key, key + keyLength + 1);
    e.valueOffset = uint32_t(blob_.size());
    e.valueLength = length;
    blob_.insert(blob_.end(), bytes, bytes + length);
    entries_.push_back(e);
    return kOk;
}

std::vector<uint8_t> PreferencesStore::serialize() const {
    std::vector<uint8_t> out;
    out.reserve(kHeadLength + kEntryLength * entries_.size() + blob_.size());
    io::ByteWriter w(out);
    w.u32(uint32_t(kHeadLength + kEntryLength * entries_.size() + blob_.size()));
    w.zeros(kZeroHeadLength);
    w.u32(uint32_t(entries_.size()));
    w.u32(uint32_t(blob_.size()));
    for (const Entry& e : entries_) {
        w.u32(e.keyOffset);
        w.u32(e.valueLength);
        w.u32(e.valueOffset);
    }
    w.bytes(blob_.data(), blob_.size());
    return out;
}

bool PreferencesStore::write() const {
    if (path_.empty()) return false;
    return io::writeFileAtomically(path_, serialize());
}

PreferencesStore* preferences() { return g_preferences; }
void setPreferences(PreferencesStore* store) { g_preferences = store; }

}  // namespace tnx::settings
