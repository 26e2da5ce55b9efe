// The HUD's record "savecbuttons" read into the standard HUD: the root's
// fixed part and each element's record (buttons, clock, button bar, the
// browser panels), then written back and a frame updated.
// Links: tnx_hud
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hud/hud_builder.h"
#include "hud/hud_root.h"
#include "settings/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::hud::HudRoot hud(0.785f, 640, 480, nullptr);
    tnx::hud::HudBuilder::build(hud);
    if (hud.readRecord({data, size}) == tnx::settings::kRecordApplied) {
        std::vector<uint8_t> out;
        hud.writeRecord(out);
        hud.update(0.02f);
    }
    return 0;
}
