// Remembers what the last build made from which inputs, so an unchanged
// product is not made again.
//
// The stamp is a text file: a first line "terranox-databuilder <version>",
// then one line "<product> <key>" per product, the key being a SHA-256 over
// the builder and product versions and the contents of the product's inputs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tnx::databuilder {

// Lower-case hex SHA-256 of bytes, of a file, or of a folder (its files'
// relative paths and contents, in path order). Empty when unreadable.
std::string sha256Hex(std::span<const uint8_t> bytes);
std::string sha256Hex(std::string_view text);
std::optional<std::string> sha256OfPath(const std::filesystem::path& path);

class BuildStamp {
public:
    explicit BuildStamp(int builderVersion) : builderVersion_(builderVersion) {}

    // Reads a stamp file; a missing or foreign file, or one written by
    // another builder version, leaves the stamp empty.
    void load(const std::filesystem::path& path);
    bool save(const std::filesystem::path& path) const;

    std::string key(const std::string& product) const;
    void setKey(const std::string& product, std::string key) { keys_[product] = std::move(key); }
    void erase(const std::string& product) { keys_.erase(product); }
    size_t size() const { return keys_.size(); }

private:
    int builderVersion_;
    std::map<std::string, std::string> keys_;
};

}  // namespace tnx::databuilder
