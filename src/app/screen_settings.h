// Per-monitor display settings kept in the registry under "Screen %d".
#pragma once

#include <array>
#include <cstdint>

namespace tnx::app {

struct ScreenSettings {
    bool leaveBlack = false;
    bool disableHardware = false;
    uint32_t width = 0, height = 0;  // 0 = automatic
    uint32_t format = 0;
};

// Reads the settings of 1-based monitor number `screen`. "Leave Black" is
// always taken; the others only when the stored "Adapter ID" is this
// adapter's identifier or all zeros.
ScreenSettings readScreenSettings(int screen, const std::array<uint8_t, 16>& adapterId);
bool writeScreenSettings(int screen, const std::array<uint8_t, 16>& adapterId, const ScreenSettings& s);

bool readAllScreensSame();
bool writeAllScreensSame(bool on);

}  // namespace tnx::app
