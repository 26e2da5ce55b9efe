#include "settings/option_block.h"

#include "platform/io/byte_io.h"
#include "settings/preferences_store.h"

namespace tnx::settings {

OptionBlock::OptionBlock() {
    // What a first run shows: the lit globe with its atmosphere, borders,
    // rivers and cities, the HUD, the rotate tool, metric units, and no
    // drawing while nothing changes.
    set(kDayNight, 1);
    set(kBoundaries, 1);
    set(kCities, 1);
    set(kAtmosphere, 1);
    set(kRivers, 1);
    set(kHudShown, 1);
    set(kPointerTool, 1);
    set(kMetricUnits, 1);
    set(kIdleNoChanging, 1);
}

std::vector<uint8_t> OptionBlock::toBytes() const {
    std::vector<uint8_t> out(kSize);
    for (size_t i = 0; i < values_.size(); ++i) io::storeI32(&out[i * 4], values_[i]);
    return out;
}

bool OptionBlock::fromBytes(const uint8_t* data, size_t size) {
    if (!data || size < kSize) return false;
    for (size_t i = 0; i < values_.size(); ++i) values_[i] = io::loadI32(data + i * 4);
    return true;
}

void OptionBlock::loadFromPreferences() {
    auto* store = preferences();
    if (!store) return;
    std::vector<uint8_t> buf(kSize);
    uint32_t len = kSize;
    if (store->getBinary(kKey, buf.data(), &len) == PreferencesStore::kOk && len == kSize) fromBytes(buf.data(), len);
}

void OptionBlock::saveToPreferences() const {
    if (auto* store = preferences()) {
        auto b = toBytes();
        store->setBinary(kKey, b.data(), uint32_t(b.size()));
    }
}

OptionBlock& optionBlock() {
    static OptionBlock block;
    return block;
}

}  // namespace tnx::settings
