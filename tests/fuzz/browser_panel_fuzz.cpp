// "savecbuttonlist": a browser panel's placement and colours and its parts'
// records (rows, headers, slider), offered to the four browser panels as the
// HUD offers a record to each of its elements; the one that takes it is
// written back and must take its own record again.
// Links: tnx_hud
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "hud/browser_panel.h"
#include "settings/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tnx::hud::BrowserKind;
    for (BrowserKind kind : {BrowserKind::City, BrowserKind::Country, BrowserKind::Overview, BrowserKind::Help}) {
        tnx::hud::BrowserPanel panel(kind);
        panel.build();
        if (panel.readRecord({data, size}) != tnx::settings::kRecordApplied) continue;
        panel.setText("a line\nanother line", 0, true);
        panel.keepInView(1.0f, 0.8f);
        panel.tick();
        std::vector<uint8_t> out;
        panel.writeRecord(out);
        tnx::hud::BrowserPanel again(kind);
        again.build();
        if (again.readRecord(out) != tnx::settings::kRecordApplied) std::abort();
    }
    return 0;
}
