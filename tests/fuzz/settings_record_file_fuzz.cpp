// "3dvis.ini": the head, the root record "savecviewcore" and, below it, the
// HUD's "savecbuttons" with every element record; the other two children
// are kept as read, as when their parts are absent.
// Links: tnx_hud
#include <cstddef>
#include <cstdint>
#include <span>

#include "hud/hud_root.h"
#include "settings/settings_record_file.h"
#include "settings/view_core_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::hud::HudRoot hud(0.785f, 640, 480, nullptr);
    tnx::settings::ViewCoreRecord root;
    root.setChildren(nullptr, &hud, nullptr);
    if (tnx::settings::SettingsRecordFile::loadImage({data, size}, root) > 0) {
        // What was read must write back.
        tnx::settings::SettingsRecordFile::assemble(root);
    }
    return 0;
}
