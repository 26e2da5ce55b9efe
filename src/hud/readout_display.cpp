#include "hud/readout_display.h"

namespace tnx::hud {

int ReadoutDisplay::apply(const geodata::InfoTexts& texts, BrowserPresenter* presenter) {
    int laidOut = 0;
    if (!anyLines_ || texts.linesRevision() != linesRevision_) {
        anyLines_ = true;
        linesRevision_ = texts.linesRevision();
        for (int i = 0; i < geodata::InfoTexts::kLineCount; ++i) {
            const std::string& text = texts.line(geodata::InfoTexts::Line(i));
            if (text == shown_[size_t(i)]) continue;
            HudElement* e = root_.findById(kElements[size_t(i)]);
            if (!e) continue;
            e->setText(text, kTextOptions);
            shown_[size_t(i)] = text;
            ++laidOut;
        }
    }
    if (!presenter) return laidOut;
    // A browser that arrives later still gets the texts made before it.
    const bool fresh = presenter != presenter_;
    presenter_ = presenter;
    if (fresh || texts.overviewRevision() != overviewRevision_) {
        overviewRevision_ = texts.overviewRevision();
        presenter->showText(BrowserKind::Overview, texts.overview());
    }
    if (fresh || texts.helpRevision() != helpRevision_) {
        helpRevision_ = texts.helpRevision();
        presenter->showText(BrowserKind::Help, texts.help());
    }
    return laidOut;
}

}  // namespace tnx::hud
