#include "hud/hud_builder.h"

#include <memory>

#include "hud/browser_panel.h"
#include "hud/button_bar.h"
#include "hud/hud_clock.h"

namespace tnx::hud {

void HudBuilder::build(HudRoot& root) {
    const float z = kReadoutDepth;
    const float left = -root.halfExtentX() * z, right = root.halfExtentX() * z;
    const float top = root.halfExtentY() * z, bottom = -root.halfExtentY() * z;
    const float margin = 0.15f, pitch = 0.3f;

    // Read-outs of what lies under the pointer, bottom left.
    for (int i = 0; i < 3; ++i) {
        auto e = std::make_unique<HudElement>(kReadout1 + i);
        // Light text on a dark glass, readable over land, sea and space.
        e->init(HudElement::kFontTexture, kReadoutWidth, 0.25f, 0, kReadoutGlyphs, (i % 2) ? 0xA0283848 : 0xA0202C38,
                0xFFC0F0C0, 0xFFE8FFB0);
        e->placeAt(left + margin, bottom + margin + 0.25f + float(2 - i) * pitch, z);
        root.add(std::move(e));
    }

    // The clock, top right; it starts showing the time.
    auto clock = std::make_unique<HudClock>(kClock);
    clock->init(HudElement::kFontTexture, 2.15f, 0.25f, 0, 40, 0xA050A0F0, 0xA0FFFF00, 0xFF80FFFF);
    clock->setFlags(clock->flags() | HudElement::kToggled);
    clock->placeAt(right - margin - 2.15f, top - margin, z);
    root.add(std::move(clock));

    // The browsers' panels, hidden until the button bar shows them; they are
    // filled when the geography is there.
    auto addPanel = [&](BrowserKind kind) {
        auto panel = std::make_unique<BrowserPanel>(kind);
        BrowserPanel* p = panel.get();
        if (root.add(std::move(panel)) >= 0) p->build();
    };
    addPanel(BrowserKind::City);

    // The button bar down the left side, near enough for its labels to be
    // read (its buttons are less than a tenth of its size).
    auto bar = std::make_unique<ButtonBar>();
    ButtonBar* b = bar.get();
    bar->init(HudElement::kFontTexture, 5.0f, 2.5f, 0.005f, 50, 0x9090A0F0, 0xFFA0FFFF, 0xFFFFFFFF);
    const float bz = kButtonBarDepth;
    bar->placeAt(-root.halfExtentX() * bz + margin, root.halfExtentY() * bz - margin, bz);
    if (root.add(std::move(bar)) >= 0) b->build();

    addPanel(BrowserKind::Country);
    addPanel(BrowserKind::Overview);
    addPanel(BrowserKind::Help);

    // The status read-out under the clock.
    auto status = std::make_unique<HudElement>(kStatus);
    status->init(HudElement::kFontTexture, kStatusWidth, 0.25f, 0, kReadoutGlyphs, 0xA0202C38, 0xA0FFFF00, 0xFF80FFFF);
    status->placeAt(right - margin - kStatusWidth, top - margin - pitch, z);
    root.add(std::move(status));

    for (int i = 0; i < root.count(); ++i) root.element(i)->keepInView(root.halfExtentX(), root.halfExtentY());
}

}  // namespace tnx::hud
