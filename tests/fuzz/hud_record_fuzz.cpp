// The HUD's record "savecbuttons" on its own: the root's fixed part and
// each element's record (buttons, clock, button bar).
// Links: tnx_hud
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hud/hud_root.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::hud::HudRoot hud(0.785f, 640, 480, nullptr);
    if (hud.readRecord({data, size}) > 0) {
        std::vector<uint8_t> out;
        hud.writeRecord(out);
        hud.update(0.02f);
    }
    return 0;
}
