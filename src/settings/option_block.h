// The view option block `g_strBtstatus`: 100 integers of view options,
// browser visibility and form, pointer tool, units and HUD visibility, shared
// by the button bar, the window procedure, the camera and the overlays.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tnx::settings {

class OptionBlock {
public:
    // Byte offsets of the fields.
    enum Field : int {
        kCityBrowser = 0,
        kCountryBrowser = 4,
        kDayNight = 8,
        kBoundaries = 12,
        kDistanceTool = 16,
        kCountryOverview = 20,
        kHelpText = 24,
        kNorthUpLock = 32,
        kCities = 40,
        kAtmosphere = 44,
        kRivers = 48,
        kOptionsLeft = 52,
        kOptionsTop = 56,
        kIdleInactive = 60,
        kIdleNoChanging = 64,
        kHudShown = 72,
        kPointerTool = 76,
        kMetricUnits = 80,
        kCityBrowserWindow = 84,
        kCountryBrowserWindow = 88,
        kOverviewWindow = 92,
        kHelpWindow = 96,
        // Our own: set when the city lights are switched off (older blocks
        // hold 0 there, so they keep the lights on).
        kCityLightsOff = 100,
    };
    static constexpr size_t kSize = 400;
    static constexpr const char* kKey = "g_strBtstatus";

    OptionBlock();
    int32_t get(Field f) const { return values_[size_t(f) / 4]; }
    void set(Field f, int32_t v) { values_[size_t(f) / 4] = v; }
    bool on(Field f) const { return get(f) != 0; }
    void flip(Field f) { set(f, on(f) ? 0 : 1); }

    std::vector<uint8_t> toBytes() const;
    bool fromBytes(const uint8_t* data, size_t size);
    // The preferences store's copy.
    void loadFromPreferences();
    void saveToPreferences() const;

private:
    std::array<int32_t, 100> values_{};
};

// The process-wide block.
OptionBlock& optionBlock();

}  // namespace tnx::settings
