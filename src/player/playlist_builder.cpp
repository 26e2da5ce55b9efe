#include "player/playlist_builder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "player/playlist_text.h"

namespace tnx::player {

namespace {

bool isMp3(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    if (ext.size() != 4) return false;
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".mp3";
}

// Names in a folder, in the order a user expects (letter case aside).
bool nameOrder(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return std::tolower(c); };
    auto r = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                          [&](char x, char y) { return lower(x) < lower(y); });
    if (r) return true;
    bool equalIgnoringCase = !std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                           [&](char x, char y) { return lower(x) < lower(y); });
    return equalIgnoringCase && a < b;
}

}  // namespace

bool PlaylistBuilder::append(std::string path) {
    // Each entry takes its NUL; the list ends with one more.
    size_t cost = path.size() + 1;
    if (path.empty() || textBytes_ + cost + 1 > kMaxTextBytes) return false;
    textBytes_ += cost;
    files_.push_back(std::move(path));
    return true;
}

void PlaylistBuilder::listDirectory(const std::string& root) {
    // Depth first, each folder's files before its subfolders; a folder
    // reached a second time (through a link, or listed twice) is skipped.
    std::vector<std::filesystem::path> pending{std::filesystem::path(root)};
    while (!pending.empty()) {
        std::filesystem::path dir = std::move(pending.back());
        pending.pop_back();
        std::error_code ec;
        std::string key = std::filesystem::canonical(dir, ec).string();
        if (ec) continue;  // cannot be entered: contributes nothing
        auto at = std::lower_bound(visited_.begin(), visited_.end(), key);
        if (at != visited_.end() && *at == key) continue;
        visited_.insert(at, key);

        std::vector<std::string> files, folders;
        for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeEc;
            std::string name = it->path().filename().string();
            if (it->is_directory(typeEc)) folders.push_back(std::move(name));
            else if (isMp3(it->path()) && it->is_regular_file(typeEc)) files.push_back(std::move(name));
        }
        std::sort(files.begin(), files.end(), nameOrder);
        std::sort(folders.begin(), folders.end(), nameOrder);
        for (const std::string& f : files) append((dir / f).string());
        // Pushed in reverse so the first folder comes off the stack first.
        for (auto f = folders.rbegin(); f != folders.rend(); ++f) pending.push_back(dir / *f);
    }
}

std::vector<size_t> PlaylistBuilder::chooseDirectories(const MusicConfiguration& config, int32_t mode, size_t count) {
    std::vector<size_t> chosen;
    if (mode == kPlayModeSelectedDirectories) {
        for (int32_t index : config.selectedDirectories) {
            if (index < 0) break;
            // An index left over from a longer list names nothing now.
            if (size_t(index) < count && std::find(chosen.begin(), chosen.end(), size_t(index)) == chosen.end())
                chosen.push_back(size_t(index));
        }
        return chosen;
    }
    size_t n = 0;
    if (mode >= kPlayModeOneRandomDirectory && mode <= kPlayModeFiveRandomDirectories) n = size_t(mode - 2);
    else if (mode == kPlayModeAllFilesRandomly) n = count;
    n = std::min(n, count);
    std::vector<size_t> pool(count);
    for (size_t i = 0; i < count; ++i) pool[i] = i;
    for (size_t i = 0; i < n; ++i) {
        size_t k = size_t(random_.below(int32_t(pool.size())));
        chosen.push_back(pool[k]);
        pool.erase(pool.begin() + std::ptrdiff_t(k));
    }
    return chosen;
}

std::optional<std::vector<std::string>> PlaylistBuilder::build(MusicConfiguration& config) {
    if (config.playMode < 0 || config.playMode >= kPlayModeCount) return std::nullopt;
    files_.clear();
    visited_.clear();
    textBytes_ = 0;
    if (config.playMode == kPlayModeRandom) config.playMode = 1 + (random_.next() & 7);
    int32_t mode = config.playMode;

    size_t dirCount = std::min(config.directoryList.size(), kMaxDirectories);
    if (dirCount == 0 || dirCount >= kMaxDirectories) mode = kPlayModeFileList;
    if (mode != kPlayModeFileList)
        for (size_t index : chooseDirectories(config, mode, dirCount)) listDirectory(config.directoryList[index]);
    if (mode == kPlayModeFileList || mode == kPlayModeAllFilesRandomly)
        for (const std::string& f : config.fileList) append(f);

    size_t keep = std::min(size_t(std::clamp(config.maxFiles, 0, kMaxFilesLimit)), files_.size());
    std::vector<std::string> out;
    out.reserve(keep);
    if (!config.randomizeOnStart) {
        out.assign(files_.begin(), files_.begin() + std::ptrdiff_t(keep));
    } else {
        std::vector<std::string> pool = std::move(files_);
        for (size_t i = 0; i < keep; ++i) {
            size_t k = size_t(random_.below(int32_t(pool.size())));
            out.push_back(std::move(pool[k]));
            pool.erase(pool.begin() + std::ptrdiff_t(k));
        }
    }
    files_.clear();
    return out;
}

std::optional<std::string> PlaylistBuilder::buildText(MusicConfiguration& config) {
    auto files = build(config);
    if (!files) return std::nullopt;
    return joinPlaylistText(*files);
}

}  // namespace tnx::player
