#include "hud/browser_dispatcher.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/process_state.h"
#include "geodata/geo_overlay.h"
#include "hud/button_bar.h"
#include "hud/hud_root.h"
#include "settings/option_block.h"

namespace tnx::hud {

namespace {
constexpr std::array<BrowserKind, 4> kKinds = {BrowserKind::City, BrowserKind::Country, BrowserKind::Overview,
                                              BrowserKind::Help};

// The button bar's command of each browser.
uint32_t browserCommand(BrowserKind kind) {
    switch (kind) {
        case BrowserKind::City: return ButtonBar::kCmdCityBrowser;
        case BrowserKind::Country: return ButtonBar::kCmdCountryBrowser;
        case BrowserKind::Overview: return ButtonBar::kCmdOverview;
        case BrowserKind::Help: return ButtonBar::kCmdHelp;
    }
    return 0;
}

// What the button bar calls each browser when one asks to close or switch.
int closedKind(BrowserKind kind) {
    switch (kind) {
        case BrowserKind::City: return 0;
        case BrowserKind::Country: return 1;
        case BrowserKind::Overview: return 5;
        case BrowserKind::Help: return 6;
    }
    return -1;
}

bool validKind(int kind) { return kind >= 1 && kind <= 4; }
}  // namespace

const char* browserTitle(BrowserKind kind) {
    switch (kind) {
        case BrowserKind::City: return "City List";
        case BrowserKind::Country: return "Country And Entity List";
        case BrowserKind::Overview: return "Overview";
        case BrowserKind::Help: return "Help";
    }
    return "";
}

BrowserDispatcher::BrowserDispatcher(HudRoot& root) : root_(root) {
    for (BrowserKind k : kKinds) {
        panels_[index(k)] = dynamic_cast<BrowserPanel*>(root.findById(BrowserPanel::idFor(k)));
        if (BrowserPanel* p = panels_[index(k)]) p->setActions(this);
    }
    bar_ = dynamic_cast<ButtonBar*>(root.findById(ButtonBar::kId));
    if (bar_) bar_->setPresenter(this);
}

BrowserDispatcher::~BrowserDispatcher() {
    disconnect();
    for (auto& w : windows_) w.reset();
    for (auto& f : finds_) f.reset();
    // The root and its elements outlive this only when the layer goes first.
    if (bar_ && root_.findById(ButtonBar::kId) == bar_) bar_->setPresenter(nullptr);
    for (BrowserKind k : kKinds)
        if (panels_[index(k)] && root_.findById(BrowserPanel::idFor(k)) == panels_[index(k)])
            panels_[index(k)]->setActions(nullptr);
}

void BrowserDispatcher::connect(geodata::GeoOverlay& overlay, CameraPointer pointCamera, CommandPoster post,
                                Makers makers, win::WindowId mainWindow) {
    overlay_ = &overlay;
    pointCamera_ = std::move(pointCamera);
    post_ = std::move(post);
    makers_ = std::move(makers);
    if (BrowserPanel* p = panel(BrowserKind::City)) p->fillCities(overlay.cities(), overlay.countries(), metric());
    if (BrowserPanel* p = panel(BrowserKind::Country)) p->fillCountries(overlay.countries());
    for (BrowserKind k : kKinds) {
        const bool list = k == BrowserKind::City || k == BrowserKind::Country;
        const auto& make = list ? makers_.listWindow : makers_.textWindow;
        if (!make) continue;
        BrowserWindowSetup setup;
        setup.kind = k;
        setup.title = browserTitle(k);
        setup.table = list && panel(k) ? &panel(k)->table() : nullptr;
        if (list && !setup.table) continue;
        setup.dispatch = [this](int op, int kind, intptr_t value) { dispatch(op, kind, value); };
        setup.mainWindow = mainWindow;
        windows_[index(k)] = make(setup);
    }
    overlay.setBrowsers(this);

    // Each browser in the form and state the options keep.
    if (bar_)
        for (BrowserKind k : kKinds) bar_->command(browserCommand(k), 1);
}

void BrowserDispatcher::disconnect() {
    for (auto& w : windows_)
        if (w) w->storeGeometry();
    for (BrowserKind k : kKinds) closeFind(k);
    if (overlay_ && overlay_->browsers() == this) overlay_->setBrowsers(nullptr);
    overlay_ = nullptr;
}

bool BrowserDispatcher::metric() const {
    return settings::optionBlock().on(settings::OptionBlock::kMetricUnits);
}

void BrowserDispatcher::redraw() {
    app::processState().forceRedraw = true;
    if (post_) post_(kCmdUpdateFrame, 0);
}

void BrowserDispatcher::closeFind(BrowserKind kind) {
    if (FindPrompt* f = finds_[index(kind)].get()) f->close();
}

// --- the dispatcher ---------------------------------------------------------------------

void BrowserDispatcher::dispatch(int operation, int kind, intptr_t value) {
    const BrowserKind k = BrowserKind(validKind(kind) ? kind : 1);
    BrowserWindow* w = validKind(kind) ? window(k) : nullptr;
    switch (operation) {
        case kDispatchPick:
            if (kind == int(BrowserKind::City)) pickCity(int(value));
            else if (kind == int(BrowserKind::Country)) pickCountry(int(value));
            redraw();
            break;
        case kDispatchClosed:
            if (!validKind(kind)) break;
            if (post_) post_(browserCommand(k), 0);
            else if (bar_) bar_->command(browserCommand(k), 0);
            break;
        case kDispatchShow:
            if (w) w->show(value != 0);
            break;
        case kDispatchSelect:
            if (w && (k == BrowserKind::City || k == BrowserKind::Country)) w->select(int(value), 0);
            break;
        case kDispatchSwitchForm:
            if (post_) post_(ButtonBar::kCmdSwitchForm, kind);
            else if (bar_) bar_->command(ButtonBar::kCmdSwitchForm, kind);
            break;
        case kDispatchRefresh:
            if (BrowserWindow* city = window(BrowserKind::City)) city->refreshColumns();
            break;
        case kDispatchSetText:
            if (w && value && (k == BrowserKind::Overview || k == BrowserKind::Help)) {
                const auto* t = reinterpret_cast<const WindowText*>(value);
                w->setText(t->which, t->text);
            }
            break;
        case kDispatchToggleMenu:
            if (w) w->setToggleEnabled(value != 0);
            break;
        default: break;
    }
}

// --- showing ------------------------------------------------------------------------------

void BrowserDispatcher::showPanel(BrowserKind kind, bool shown) {
    if (BrowserPanel* p = panel(kind)) {
        if (shown && !p->visible()) {
            // A panel shown comes in front of the others; over one of them
            // (they all start in one place) the text behind would show
            // through its face, so it goes beside it where there is room.
            root_.raise(p);
            placeBeside(*p);
        }
        p->show(shown ? 1 : 0);
    }
    if (!shown) closeFind(kind);
}

void BrowserDispatcher::placeBeside(BrowserPanel& p) {
    // Rectangles on the screen at unit depth: left, right, bottom, top.
    struct Box {
        float l, r, b, t;
        float overlap(const Box& o) const {
            const float w = std::min(r, o.r) - std::max(l, o.l), h = std::min(t, o.t) - std::max(b, o.b);
            return std::max(0.0f, w) * std::max(0.0f, h);
        }
    };
    auto boxOf = [](const HudElement& e) {
        const float z = e.targetDepth();
        return Box{e.targetX() / z, (e.targetX() + e.width()) / z, (e.targetY() - e.height()) / z, e.targetY() / z};
    };
    std::vector<Box> shown;
    for (BrowserKind k : kKinds)
        if (BrowserPanel* o = panel(k); o && o != &p && o->visible()) shown.push_back(boxOf(*o));
    const Box self = boxOf(p);
    const float w = self.r - self.l, h = self.t - self.b, area = w * h;
    auto covered = [&](const Box& b) {
        float most = 0;
        for (const Box& o : shown) most = std::max(most, b.overlap(o));
        return most;
    };
    if (covered(self) <= 0.5f * area) return;
    const float X = root_.halfExtentX(), Y = root_.halfExtentY(), gap = 0.02f;
    // Left of a shown panel, right of it, below it, above it: the first
    // place wholly in view and free of every shown panel.
    for (const Box& o : shown)
        for (auto [l, t] : {std::pair{o.l - gap - w, o.t}, std::pair{o.r + gap, o.t}, std::pair{o.l, o.b - gap},
                            std::pair{o.l, o.t + gap + h}}) {
            const Box b{l, l + w, t - h, t};
            if (b.l >= -X && b.r <= X && b.b >= -Y && b.t <= Y && covered(b) <= 0) {
                const float z = p.targetDepth();
                p.placeAt(b.l * z, b.t * z, z);
                return;
            }
        }
}

void BrowserDispatcher::showWindow(BrowserKind kind, bool shown) { dispatch(kDispatchShow, int(kind), shown); }

void BrowserDispatcher::unitsChanged() {
    if (BrowserPanel* p = panel(BrowserKind::City)) p->setHeaders(metric());
    dispatch(kDispatchRefresh, int(BrowserKind::City), 0);
}

// --- the panels ----------------------------------------------------------------------------

void BrowserDispatcher::titleCommand(BrowserPanel& p, int cell) {
    const BrowserKind kind = p.kind();
    switch (cell) {
        case BrowserPanel::kFindCell: {
            if (!p.isList() || !makers_.findPrompt) break;
            auto& prompt = finds_[index(kind)];
            if (!prompt) prompt = makers_.findPrompt(kind, [this, kind](std::string_view t) { findInPanel(kind, t); });
            if (prompt) prompt->open();
            break;
        }
        case BrowserPanel::kToggleCell:
            closeFind(kind);
            if (bar_) bar_->browserClosed(closedKind(kind), int(kind));
            break;
        case BrowserPanel::kCloseCell:
            closeFind(kind);
            if (bar_) bar_->browserClosed(closedKind(kind), 0);
            break;
        default: break;
    }
}

void BrowserDispatcher::rowPicked(BrowserPanel& p, int dataRow) { dispatch(kDispatchPick, int(p.kind()), dataRow + 1); }

void BrowserDispatcher::findInPanel(BrowserKind kind, std::string_view text) {
    if (BrowserPanel* p = panel(kind)) p->find(text);
    redraw();
}

// --- the overlay's side ---------------------------------------------------------------------

void BrowserDispatcher::pickCity(int city) {
    if (!overlay_ || !overlay_->cities().isCity(city)) return;
    geodata::CitySelection& selection = overlay_->selection();
    if (selection.selectedCity == city) {
        selection.selectedCity = 0;
        return;
    }
    selection.selectedCity = city;
    const geodata::CityRecord& c = overlay_->cities()[city];
    if (pointCamera_) pointCamera_(c.longitude, c.latitude);
}

void BrowserDispatcher::pickCountry(int country) {
    if (!overlay_ || !overlay_->countries().isCountry(country)) return;
    const geodata::CountryRecord& k = *overlay_->countries().get(country);
    if (pointCamera_) pointCamera_(k.longitude, k.latitude);
    geodata::CitySelection& selection = overlay_->selection();
    selection.selectedCountry = selection.selectedCountry == country ? 0 : country;
    overlay_->infoTexts().showOverview(country, overlay_->countries());
}

void BrowserDispatcher::cityClicked(int city) {
    if (BrowserPanel* p = panel(BrowserKind::City)) p->selectIndex(city);
    dispatch(kDispatchSelect, int(BrowserKind::City), city);
}

void BrowserDispatcher::countryClicked(int country) {
    if (BrowserPanel* p = panel(BrowserKind::Country)) p->selectIndex(country);
    dispatch(kDispatchSelect, int(BrowserKind::Country), country);
}

void BrowserDispatcher::selectionCleared() {
    for (BrowserKind k : {BrowserKind::City, BrowserKind::Country}) {
        if (BrowserPanel* p = panel(k)) p->clearSelection();
        if (BrowserWindow* w = window(k)) w->clearSelection();
    }
}

void BrowserDispatcher::refillCities() {
    if (!overlay_) return;
    if (BrowserPanel* p = panel(BrowserKind::City)) p->fillCities(overlay_->cities(), overlay_->countries(), metric());
    dispatch(kDispatchRefresh, int(BrowserKind::City), 0);
}

void BrowserDispatcher::showText(BrowserKind kind, const geodata::BrowserText& text) {
    if (kind != BrowserKind::Overview && kind != BrowserKind::Help) return;
    if (text.parts.empty() && text.body.empty()) return;
    if (BrowserPanel* p = panel(kind)) {
        p->setTitle(text.title);
        bool first = true;
        for (const geodata::TextPart& part : text.parts) {
            p->setText(part.text, part.marked ? 1 : 0, first);
            first = false;
        }
    }
    const WindowText caption{1, text.caption};
    dispatch(kDispatchSetText, int(kind), reinterpret_cast<intptr_t>(&caption));
    const WindowText body{2, std::string_view(text.body).substr(0, std::min(text.body.size(), kHelpWindowBytes))};
    dispatch(kDispatchSetText, int(kind), reinterpret_cast<intptr_t>(&body));
}

}  // namespace tnx::hud
