#include "build_stamp.h"

#include "platform/io/file_io.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <sstream>
#include <vector>

namespace tnx::databuilder {

namespace {

constexpr std::string_view kStampTag = "terranox-databuilder";

std::string hex(const QByteArray& digest) { return digest.toHex().toStdString(); }

std::optional<std::string> sha256OfFile(const std::filesystem::path& path) {
    QFile f(QString::fromStdString(path.string()));
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!h.addData(&f)) return std::nullopt;
    return hex(h.result());
}

}  // namespace

std::string sha256Hex(std::span<const uint8_t> bytes) {
    return hex(QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())),
        QCryptographicHash::Sha256));
}

std::string sha256Hex(std::string_view text) {
    return sha256Hex(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::optional<std::string> sha256OfPath(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) return sha256OfFile(path);
    std::vector<std::filesystem::path> files;
    for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file()) files.push_back(it->path());
    if (ec) return std::nullopt;
    std::sort(files.begin(), files.end());
    std::string listing;
    for (const auto& f : files) {
        auto digest = sha256OfFile(f);
        if (!digest) return std::nullopt;
        listing += std::filesystem::relative(f, path).generic_string() + ' ' + *digest + '\n';
    }
    return sha256Hex(listing);
}

void BuildStamp::load(const std::filesystem::path& path) {
    keys_.clear();
    auto bytes = io::readWholeFile(path);
    if (!bytes) return;
    std::istringstream in(std::string(bytes->begin(), bytes->end()));
    std::string tag;
    int version = -1;
    if (!(in >> tag >> version) || tag != kStampTag || version != builderVersion_) return;
    std::string product, key;
    while (in >> product >> key) keys_[product] = key;
}

bool BuildStamp::save(const std::filesystem::path& path) const {
    std::string text = std::string(kStampTag) + ' ' + std::to_string(builderVersion_) + '\n';
    for (const auto& [product, key] : keys_) text += product + ' ' + key + '\n';
    return io::writeFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::string BuildStamp::key(const std::string& product) const {
    auto it = keys_.find(product);
    return it == keys_.end() ? std::string() : it->second;
}

}  // namespace tnx::databuilder
