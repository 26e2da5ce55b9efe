#include "geodata/pack_writer.h"

#include "geodata/pack_archive.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"

namespace tnx::geodata {

namespace {
// Entry offsets and lengths are 32-bit.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull;

std::string lowerCase(std::string_view name) {
    std::string s(name);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return s;
}

// Entries carry no directory part of either kind.
std::string_view bareName(std::string_view name) {
    size_t cut = name.find_last_of("\\/");
    return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

bool validName(std::string_view name) {
    return !name.empty() && name.size() <= pack::kMaxNameLength &&
           name.find('\0') == std::string_view::npos;
}
}  // namespace

PackWriter::File* PackWriter::findFile(std::string_view baseName) {
    auto it = index_.find(lowerCase(baseName));
    return it == index_.end() ? nullptr : &files_[it->second];
}

bool PackWriter::contains(std::string_view name) const {
    return index_.count(lowerCase(bareName(name))) != 0;
}

bool PackWriter::add(std::string_view name, std::vector<uint8_t>&& bytes) {
    std::string_view base = bareName(name);
    if (!validName(base)) return false;
    File* existing = findFile(base);
    uint64_t total = dataBytes_ - (existing ? existing->bytes.size() : 0) + bytes.size();
    if (total > kMaxDataBytes) return false;
    if (existing) {
        dataBytes_ = total;
        existing->bytes = std::move(bytes);
        return true;
    }
    if (files_.size() >= pack::kMaxEntries) return false;
    dataBytes_ = total;
    index_.emplace(lowerCase(base), files_.size());
    files_.push_back({std::string(base), std::move(bytes)});
    return true;
}

bool PackWriter::add(std::string_view name, std::span<const uint8_t> bytes) {
    return add(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool PackWriter::add(std::string_view name, std::string_view text) {
    return add(name, std::vector<uint8_t>(text.begin(), text.end()));
}

bool PackWriter::addFile(const std::filesystem::path& path, std::string_view name) {
    auto data = io::readWholeFile(path);
    if (!data) return false;
    std::string own = path.filename().string();
    return add(name.empty() ? std::string_view(own) : name, std::move(*data));
}

std::vector<uint8_t> PackWriter::serialize() const {
    std::vector<uint8_t> out;
    const uint64_t data = dataBytes_;
    out.reserve(pack::kHeaderBytes + files_.size() * pack::kEntryBytes + size_t(data));
    io::ByteWriter w(out);
    for (uint32_t word : pack::kSignature) w.u32(word);
    w.u32(0);  // reserved
    w.u32(0);  // spare word 1
    w.i32(int32_t(files_.size()));
    w.u32(0);  // spare word 2
    w.u32(0);  // spare word 3
    uint32_t offset = 0;
    for (const File& f : files_) {
        size_t start = w.position();
        w.bytes(f.name.data(), f.name.size());
        w.zeros(pack::kNameBytes - f.name.size());  // NUL and padding
        w.u32(offset);
        w.u32(uint32_t(f.bytes.size()));
        w.zeros(pack::kEntryBytes - (w.position() - start));
        offset += uint32_t(f.bytes.size());
    }
    for (const File& f : files_) w.bytes(f.bytes.data(), f.bytes.size());
    return out;
}

bool PackWriter::write(const std::filesystem::path& path) const {
    std::vector<uint8_t> bytes = serialize();
    if (bytes.empty()) return false;
    return io::writeFileAtomically(path, bytes);
}

}  // namespace tnx::geodata
