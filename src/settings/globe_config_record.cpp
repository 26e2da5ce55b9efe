#include "settings/globe_config_record.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "settings/string_list_record.h"

namespace tnx::settings {

namespace {

constexpr size_t kCountOffset = 192;
constexpr size_t kCurrentOffset = 196;
constexpr uint32_t kMaxColour = 0xFFFFFF;

class BlockReader {
public:
    explicit BlockReader(const uint8_t* block) : block_(block) {}
    template <typename T>
    void take(size_t offset, T& field, int64_t min, int64_t max) {
        const int64_t v = std::is_signed_v<T> ? int64_t(io::loadI32(block_ + offset)) : int64_t(io::loadU32(block_ + offset));
        if (v < min || v > max) {
            ++kept_;
            return;
        }
        field = T(v);
    }
    int kept() const { return kept_; }

private:
    const uint8_t* block_;
    int kept_ = 0;
};

constexpr int64_t kAnyI32Min = INT32_MIN, kAnyI32Max = INT32_MAX, kAnyU32Max = UINT32_MAX;

}  // namespace

int readGlobeBlock(const uint8_t* block, GlobeConfiguration& c) {
    BlockReader r(block);
    r.take(12, c.reservedOption, kAnyI32Min, kAnyI32Max);
    r.take(16, c.options, 0, GlobeConfiguration::kAllOptions);
    for (size_t i = 0; i < c.bandColors.size(); ++i) r.take(20 + 4 * i, c.bandColors[i], 0, kMaxColour);
    r.take(92, c.landOpacity, 0, 255);
    r.take(96, c.oceanOpacity, 0, 255);
    r.take(100, c.reserved100, kAnyI32Min, kAnyI32Max);
    r.take(104, c.graticuleColor, 0, kMaxColour);
    r.take(108, c.graticuleOpacity, 0, 255);
    r.take(112, c.exaggeration, 1, 100);
    // Only the low 24 bits are a colour; the top byte is kept as stored.
    r.take(116, c.atmosphereColor, 0, kAnyU32Max);
    r.take(120, c.atmosphereOpacity, 0, 255);
    r.take(124, c.cameraNearKm, 1, 99999);
    r.take(128, c.cameraFarKm, 1, 99999);
    r.take(132, c.cameraProgram, 1, 3);
    r.take(136, c.cameraSpeed, 0, 100);
    r.take(140, c.saturation, 0, 200);
    r.take(144, c.brightness, 0, 200);
    r.take(148, c.red, 0, 200);
    r.take(152, c.green, 0, 200);
    r.take(156, c.blue, 0, 200);
    r.take(160, c.cityLights, -100, 100);
    for (size_t i = 0; i < c.reserved.size(); ++i) r.take(164 + 4 * i, c.reserved[i], kAnyI32Min, kAnyI32Max);
    return r.kept();
}

void writeGlobeBlock(io::ByteWriter& w, const GlobeConfiguration& c) {
    w.i32(c.reservedOption);
    w.i32(c.options);
    for (uint32_t b : c.bandColors) w.u32(b);
    w.i32(c.landOpacity);
    w.i32(c.oceanOpacity);
    w.i32(c.reserved100);
    w.u32(c.graticuleColor);
    w.i32(c.graticuleOpacity);
    w.i32(c.exaggeration);
    w.u32(c.atmosphereColor);
    w.i32(c.atmosphereOpacity);
    w.i32(c.cameraNearKm);
    w.i32(c.cameraFarKm);
    w.i32(c.cameraProgram);
    w.i32(c.cameraSpeed);
    for (int32_t v : {c.saturation, c.brightness, c.red, c.green, c.blue}) w.i32(v);
    w.i32(c.cityLights);
    for (int32_t v : c.reserved) w.i32(v);
}

GlobeConfigRecord::GlobeConfigRecord() : GlobeConfigRecord(GlobeConfiguration::defaults()) {}

GlobeConfigRecord::GlobeConfigRecord(const GlobeConfiguration& live) : live_(live), themes_{Theme{{}, live}} {
    random_ = [] { return std::rand() & 0x7FFF; };
}

std::string GlobeConfigRecord::proposedThemeName() const { return "Config" + std::to_string(themeCount()); }

int GlobeConfigRecord::randomIndex() {
    // floor(r * (count - 1) / 32768) + 1: one of the saved themes.
    const int64_t r = std::clamp(random_ ? random_() : 0, 0, 32767);
    return int(r * (themeCount() - 1) / 32768) + 1;
}

int GlobeConfigRecord::pickRandomTheme() {
    if (current_ != 0 || themeCount() < 2) return 0;
    const int index = randomIndex();
    live_ = themes_[size_t(index)].look;
    return index;
}

void GlobeConfigRecord::switchTheme(int index) {
    if (index < 0 || index >= themeCount()) return;
    themes_[size_t(current_)].look = live_;
    current_ = index;
    if (index != 0) live_ = themes_[size_t(index)].look;
    else pickRandomTheme();
}

bool GlobeConfigRecord::saveThemeAs(const std::string& name) {
    if (themeCount() >= kMaxThemes) return false;
    themes_.push_back(Theme{name, live_});
    current_ = themeCount() - 1;
    return true;
}

bool GlobeConfigRecord::deleteCurrentTheme() {
    if (themeCount() < 2 || current_ == 0) return false;
    themes_.erase(themes_.begin() + current_);
    current_ = std::min(current_, themeCount() - 1);
    // Back at "random" with nothing left to draw from, the look stays.
    if (current_ != 0) live_ = themes_[size_t(current_)].look;
    return true;
}

void GlobeConfigRecord::writeBlock(io::ByteWriter& w, const GlobeConfiguration& c) const {
    w.u32(0);
    w.u32(kStamp);
    w.i32(reserved8_);
    writeGlobeBlock(w, c);
    w.i32(themeCount());
    w.i32(current_);
    w.zeros(8);  // the theme table and name list pointers of the layout
}

size_t GlobeConfigRecord::writeRecord(std::vector<uint8_t>& out) {
    RecordWriter writer(out, kRecordName);
    writeBlock(writer.data(), live_);
    for (const Theme& t : themes_) writeBlock(writer.data(), t.look);
    StringList names;
    names.current = current_;
    for (size_t i = 1; i < themes_.size(); ++i) names.items.push_back(themes_[i].name);
    writeStringListRecord(out, names);
    return writer.finish();
}

int GlobeConfigRecord::readRecord(std::span<const uint8_t> record) {
    repairs_ = 0;
    RecordView view;
    if (int r = openRecord(record, kRecordName, view); r != kRecordApplied) return r;
    auto stamp = recordStamp(view);
    if (!stamp || *stamp != kStamp || view.body.size() < kBlockSize) return kRecordNotMine;
    const uint8_t* fixed = view.body.data();
    reserved8_ = io::loadI32(fixed + 8);
    repairs_ += readGlobeBlock(fixed, live_);

    const int32_t count = io::loadI32(fixed + kCountOffset);
    const int32_t current = io::loadI32(fixed + kCurrentOffset);
    const size_t namesAt = kBlockSize * (1 + size_t(std::clamp(count, 0, kMaxThemes)));
    if (count < 1 || count > kMaxThemes || namesAt > view.body.size()) {
        // Without a theme table that can be trusted the themes held before
        // stay, and so does their current one.
        ++repairs_;
        return kRecordApplied;
    }
    StringList names;
    if (readStringListRecord(view.body.subspan(namesAt), names) < 0) ++repairs_;
    // Block 0 only keeps what "random" last showed; it is never shown again
    // but goes back into the file as it came.
    std::vector<Theme> themes{Theme{{}, live_}};
    readGlobeBlock(fixed + kBlockSize, themes[0].look);
    for (int i = 1; i < count; ++i) {
        Theme t{{}, live_};
        repairs_ += readGlobeBlock(fixed + kBlockSize * size_t(1 + i), t.look);
        if (size_t(i - 1) < names.items.size()) {
            t.name = names.items[size_t(i - 1)];
        } else {
            t.name = "Config" + std::to_string(i);
            ++repairs_;
        }
        themes.push_back(std::move(t));
    }
    themes_ = std::move(themes);
    if (current < 0 || current >= count) {
        // The current theme held before, while there is such a theme.
        ++repairs_;
        if (current_ >= count) current_ = 0;
    } else {
        current_ = current;
    }
    return kRecordApplied;
}

}  // namespace tnx::settings
