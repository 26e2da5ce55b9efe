#include "settings/music_list_editor.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tnx::settings {

namespace {

MusicListEditor::Target rememberedTarget = MusicListEditor::Target::Directories;

// Bytes one list's entries take in its record: each with its NUL, and the
// closing NUL when there are any.
template <typename List>
size_t textBytes(const List& list) {
    size_t n = 0;
    for (const auto& e : list) n += e.text.size() + 1;
    return list.empty() ? 0 : n + 1;
}

}  // namespace

MusicListEditor::MusicListEditor(MusicConfiguration& config, size_t roomForLists)
    : config_(config), room_(roomForLists), target_(rememberedTarget) {
    for (const std::string& f : config_.fileList) files_.push_back(Entry{f});
    for (const std::string& d : config_.directoryList) dirs_.push_back(Entry{d});
    // The list shows at most what the configuration can hold as selected.
    for (int32_t index : config_.selectedDirectories) {
        if (index < 0) break;
        if (size_t(index) < dirs_.size()) dirs_[size_t(index)].selected = dirs_[size_t(index)].wasChosen = true;
    }
}

void MusicListEditor::setTarget(Target t) { target_ = rememberedTarget = t; }

void MusicListEditor::setSelected(Target t, size_t index, bool on) {
    if (index < list(t).size()) list(t)[index].selected = on;
}

std::string MusicListEditor::lineText(size_t index, std::string_view entry) {
    char number[16];
    std::snprintf(number, sizeof number, "%3zu  ", index + 1);
    return std::string(number) + std::string(entry);
}

void MusicListEditor::moveTop() {
    auto& l = list(target_);
    std::stable_partition(l.begin(), l.end(), [](const Entry& e) { return e.selected; });
    store();
}

void MusicListEditor::moveBottom() {
    auto& l = list(target_);
    std::stable_partition(l.begin(), l.end(), [](const Entry& e) { return !e.selected; });
    store();
}

void MusicListEditor::moveUp() {
    // Each selected entry changes places with an unselected one above it, so
    // a block moves as a whole and a block at the top stays.
    auto& l = list(target_);
    for (size_t i = 1; i < l.size(); ++i)
        if (l[i].selected && !l[i - 1].selected) std::swap(l[i], l[i - 1]);
    store();
}

void MusicListEditor::moveDown() {
    auto& l = list(target_);
    for (size_t i = l.size(); i-- > 1;)
        if (l[i - 1].selected && !l[i].selected) std::swap(l[i], l[i - 1]);
    store();
}

void MusicListEditor::removeSelected() {
    auto& l = list(target_);
    std::erase_if(l, [](const Entry& e) { return e.selected; });
    store();
}

void MusicListEditor::removeAll() {
    list(target_).clear();
    store();
}

size_t MusicListEditor::listBytes() const { return textBytes(files_) + textBytes(dirs_); }

bool MusicListEditor::fits(size_t extra) const {
    const size_t used = listBytes();
    return used <= room_ && extra <= room_ - used;
}

size_t MusicListEditor::addFiles(const std::vector<std::string>& paths) {
    size_t added = 0;
    for (const std::string& p : paths) {
        if (p.empty() || p.find('\0') != std::string::npos) continue;
        // The first entry of an empty list brings its closing NUL too.
        if (!fits(p.size() + 1 + (files_.empty() ? 1 : 0))) continue;
        files_.push_back(Entry{p});
        ++added;
    }
    if (added) store();
    return added;
}

bool MusicListEditor::addDirectory(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    if (!fits(path.size() + 1 + (dirs_.empty() ? 1 : 0))) return false;
    dirs_.push_back(Entry{path});
    store();
    return true;
}

void MusicListEditor::store() {
    config_.fileList.clear();
    for (const Entry& e : files_) config_.fileList.push_back(e.text);
    config_.directoryList.clear();
    for (const Entry& e : dirs_) config_.directoryList.push_back(e.text);
    // The lists are in the configuration already, whatever button ends the
    // dialog; the selection has to name the same directories meanwhile.
    storeSelection(true);
}

void MusicListEditor::storeSelection(bool fromChosen) {
    auto& s = config_.selectedDirectories;
    s.fill(-1);
    size_t n = 0;
    // One slot always stays -1 to end the run.
    for (size_t i = 0; i < dirs_.size() && n + 1 < s.size(); ++i)
        if (fromChosen ? dirs_[i].wasChosen : dirs_[i].selected) s[n++] = int32_t(i);
}

std::optional<int32_t> MusicListEditor::parseMaxFiles(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return 0;
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    long long v = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (end != text.data() + text.size()) return std::nullopt;
    if (error == std::errc::result_out_of_range) return text.front() == '-' ? 0 : kMaxFilesLimit;
    if (error != std::errc()) return std::nullopt;
    return int32_t(std::clamp<long long>(v, 0, kMaxFilesLimit));
}

void MusicListEditor::accept(const Choices& c) {
    config_.enabled = c.enabled;
    config_.spectrumShown = c.spectrumShown;
    config_.randomizeOnStart = c.randomizeOnStart;
    config_.maxFiles = std::clamp(c.maxFiles, 0, kMaxFilesLimit);
    if (c.playModeIndex >= 0 && c.playModeIndex < kPlayModeCount) config_.playMode = c.playModeIndex;
    for (Entry& d : dirs_) d.wasChosen = d.selected;
    storeSelection(false);
}

}  // namespace tnx::settings
