#include "settings/music_config_record.h"

#include <algorithm>
#include <cstdint>

#include "settings/string_list_record.h"

namespace tnx::settings {

namespace {

constexpr size_t kSelectionOffset = 32;

}  // namespace

int MusicConfigRecord::normaliseSelection(std::array<int32_t, kMaxSelectedDirectories>& selection,
                                          size_t listSize) {
    std::array<int32_t, kMaxSelectedDirectories> kept;
    kept.fill(-1);
    size_t n = 0;
    int dropped = 0;
    for (int32_t index : selection) {
        if (index < 0) break;
        // Out of order, repeated or past the list: the run stays usable
        // without it.
        if ((n > 0 && index <= kept[n - 1]) || size_t(index) >= listSize) {
            ++dropped;
            continue;
        }
        kept[n++] = index;
    }
    selection = kept;
    return dropped;
}

size_t MusicConfigRecord::writeRecord(std::vector<uint8_t>& out) {
    RecordWriter writer(out, kRecordName);
    io::ByteWriter& w = writer.data();
    w.u32(0);
    w.u32(kStamp);
    w.i32(music_.reserved);
    w.i32(music_.enabled ? 1 : 0);
    w.i32(std::clamp(music_.maxFiles, 0, kMaxFilesLimit));
    w.i32(music_.spectrumShown ? 1 : 0);
    w.i32(music_.randomizeOnStart ? 1 : 0);
    w.i32(music_.playMode);

    // An empty string would end the list for a reader; such entries are
    // left out and the selected indices follow the entries that stay.
    StringList files, dirs;
    for (const std::string& f : music_.fileList)
        if (!f.empty() && f[0] != '\0') files.items.push_back(f);
    std::vector<int32_t> newIndex(music_.directoryList.size(), -1);
    for (size_t i = 0; i < music_.directoryList.size(); ++i) {
        const std::string& d = music_.directoryList[i];
        if (d.empty() || d[0] == '\0') continue;
        newIndex[i] = int32_t(dirs.items.size());
        dirs.items.push_back(d);
    }
    // Indices past the list stay as they are: they name nothing and are
    // ignored when used. Entries left out lose their selection.
    std::array<int32_t, kMaxSelectedDirectories> stored;
    stored.fill(-1);
    size_t n = 0;
    for (int32_t index : music_.selectedDirectories) {
        if (index < 0) break;
        if (size_t(index) >= newIndex.size()) stored[n++] = index;
        else if (newIndex[size_t(index)] >= 0) stored[n++] = newIndex[size_t(index)];
    }
    normaliseSelection(stored);
    for (int32_t index : stored) w.i32(index);
    w.zeros(8);
    writeStringListRecord(out, files);
    writeStringListRecord(out, dirs);
    return writer.finish();
}

int MusicConfigRecord::readRecord(std::span<const uint8_t> record) {
    repairs_ = 0;
    RecordView view;
    if (int r = openRecord(record, kRecordName, view); r != kRecordApplied) return r;
    auto stamp = recordStamp(view);
    if (!stamp || *stamp != kStamp || view.body.size() < kFixedSize) return kRecordNotMine;
    const uint8_t* fixed = view.body.data();
    music_.reserved = io::loadI32(fixed + 8);
    music_.enabled = io::loadI32(fixed + 12) != 0;
    const int32_t maxFiles = io::loadI32(fixed + 16);
    music_.maxFiles = std::clamp(maxFiles, 0, kMaxFilesLimit);
    if (music_.maxFiles != maxFiles) ++repairs_;
    music_.spectrumShown = io::loadI32(fixed + 20) != 0;
    music_.randomizeOnStart = io::loadI32(fixed + 24) != 0;
    const int32_t mode = io::loadI32(fixed + 28);
    if (mode >= 0 && mode < kPlayModeCount) music_.playMode = mode;
    else ++repairs_;
    for (size_t i = 0; i < kMaxSelectedDirectories; ++i)
        music_.selectedDirectories[i] = io::loadI32(fixed + kSelectionOffset + 4 * i);
    repairs_ += normaliseSelection(music_.selectedDirectories);

    // The lists follow the fixed part; the second is found after the
    // first's stored size, so a first list that does not fit hides both.
    std::span<const uint8_t> rest = view.body.subspan(kFixedSize);
    StringList files, dirs;
    if (readStringListRecord(rest, files) < 0) {
        repairs_ += 2;
        return kRecordApplied;
    }
    music_.fileList = std::move(files.items);
    rest = rest.subspan(io::loadU32(rest.data()));
    if (readStringListRecord(rest, dirs) < 0) {
        ++repairs_;
        return kRecordApplied;
    }
    music_.directoryList = std::move(dirs.items);
    return kRecordApplied;
}

}  // namespace tnx::settings
