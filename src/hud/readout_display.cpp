#include "hud/readout_display.h"

namespace tnx::hud {

int ReadoutDisplay::apply(const geodata::InfoTexts& texts, BrowserPresenter* presenter) {
    int laidOut = 0;
    if (!anyLines_ || texts.linesRevision() != linesRevision_) {
        anyLines_ = true;
        linesRevision_ = texts.linesRevision();
        for (int i = 0; i < geodata::InfoTexts::kLineCount; ++i) {
            std::string text = texts.line(geodata::InfoTexts::Line(i));
            // The note goes under the camera line, the element's two lines.
            const bool noted = i == geodata::InfoTexts::kCamera && !texts.note().empty();
            if (noted) text += '\0' + texts.note();
            if (text == shown_[size_t(i)]) continue;
            HudElement* e = root_.findById(kElements[size_t(i)]);
            if (!e) continue;
            e->setText(text, noted ? 2 : kTextOptions);
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
