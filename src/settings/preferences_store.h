// The keyed binary store "pref.ini": named binary values (window placement,
// saved camera locations, the HUD option block, list-window geometry).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tnx::settings {

class PreferencesStore {
public:
    // Result codes of getBinary / setBinary.
    static constexpr int kOk = 0;
    static constexpr int kBadArgument = -2;
    static constexpr int kBufferTooSmall = -3;
    static constexpr int kNotFound = -4;

    PreferencesStore();
    // Sets up an empty store, remembers the path and reads the file when it
    // exists and is well formed; a corrupt file leaves the store empty.
    void open(const std::filesystem::path& path);
    // Copies the value of key into buffer. On entry *length is the buffer's
    // size; on success it becomes the stored length.
    int getBinary(const char* key, void* buffer, uint32_t* length) const;
    int setBinary(const char* key, const void* data, uint32_t length);
    // Writes the store to its path (atomically); false when that failed.
    bool write() const;

    uint32_t entryCount() const { return uint32_t(entries_.size()); }
    uint32_t blobLength() const { return uint32_t(blob_.size()); }
    // The arrays grow in steps: entries by 100, the blob by 64 KiB beyond
    // what is needed.
    size_t entryCapacity() const { return entryCapacity_; }
    size_t blobCapacity() const { return blobCapacity_; }
    const std::filesystem::path& path() const { return path_; }
    // The file image write() would produce.
    std::vector<uint8_t> serialize() const;

private:
    static constexpr size_t kInitialEntryCapacity = 100;
    static constexpr size_t kInitialBlobCapacity = 100 * 520;
    static constexpr size_t kHeadLength = 412;
    static constexpr size_t kEntryLength = 12;

    struct Entry {
        uint32_t keyOffset;
        uint32_t valueLength;
        uint32_t valueOffset;
    };
    std::filesystem::path path_;
    std::vector<Entry> entries_;
    std::vector<uint8_t> blob_;  // size() is the blob length in use
    size_t entryCapacity_ = kInitialEntryCapacity;
    size_t blobCapacity_ = kInitialBlobCapacity;

    void reset();
    bool load(std::span<const uint8_t> image);
    int find(const char* key) const;
    void reserveEntries(size_t capacity);
    void reserveBlob(size_t capacity);
};

// The process-wide store (opened by the application object).
PreferencesStore* preferences();
void setPreferences(PreferencesStore* store);

}  // namespace tnx::settings
