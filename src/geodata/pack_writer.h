// Builds "pack.dat" archives that PackArchive reads.
//
//   tnx::geodata::PackWriter w;
//   w.add("country.bin", bytes);           // bare name, as readers ask for it
//   w.add("pack\\moon.jpg", jpegBytes);    // directory part dropped: "moon.jpg"
//   w.addFile("/tmp/readme.txt");          // a file from disk, by its file name
//   if (!w.write(home / "pack.dat")) ...   // written atomically
//
// Layout: the header at offset 0, the directory right after it, then the
// files' bytes in the order they were added; spare and reserved words are 0.
// Each name is stored once: adding a name again (ignoring letter case)
// replaces the earlier content in place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tnx::geodata {

class PackWriter {
public:
    // Adds (or replaces) a file under the base name of `name` (the part after
    // the last '\\' or '/'). False, and nothing added, when that name is
    // empty, longer than 71 characters or contains a NUL, when the directory
    // is full (21845 entries fit the reader's 2 MiB window), or when the data
    // area would pass 4 GiB.
    bool add(std::string_view name, std::span<const uint8_t> bytes);
    bool add(std::string_view name, std::vector<uint8_t>&& bytes);
    bool add(std::string_view name, std::string_view text);
    // Adds a file read from disk under `name`, or under its own file name
    // when `name` is empty. False when it cannot be read or added.
    bool addFile(const std::filesystem::path& path, std::string_view name = {});

    size_t count() const { return files_.size(); }
    bool contains(std::string_view name) const;
    void clear() {
        files_.clear();
        index_.clear();
        dataBytes_ = 0;
    }

    // The whole archive in memory.
    std::vector<uint8_t> serialize() const;
    // Writes the archive through a temporary file renamed over `path`.
    bool write(const std::filesystem::path& path) const;

private:
    struct File {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    File* findFile(std::string_view baseName);

    std::vector<File> files_;
    std::unordered_map<std::string, size_t> index_;  // lower-case name -> files_ slot
    uint64_t dataBytes_ = 0;
};

}  // namespace tnx::geodata
