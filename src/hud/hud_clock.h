// The clock: a button that, while toggled on, shows the local date and time
// instead of its text, rewritten only when the second changes. The time it
// shows is the sky's (which may run at another rate, with a note of the
// rate after it), and the clock widens or narrows to its text, keeping its
// right edge where it is.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "hud/hud_element.h"

namespace tnx::hud {

class HudClock : public HudElement {
public:
    using TimeSource = std::function<std::tm()>;
    // Shown after the time ("\xD7" "3600"); empty for none.
    using NoteSource = std::function<std::string()>;
    // Room left and right of the text, in element heights.
    static constexpr float kPadding = 0.15f;

    // The label is shown while the clock is toggled off.
    explicit HudClock(int32_t id, std::string label = "Clock", TimeSource now = nullptr);

    void setText(std::string_view text, uint32_t options) override;
    bool tick() override;
    void setTimeSource(TimeSource now, NoteSource note = nullptr);
    // The time and note shown last.
    const std::string& shownText() const { return lastShown_; }

    // "%d:%d:%d %s,%d-%d-%d": hour, minute, second, weekday, year, month, day.
    static std::string format(const std::tm& t);
    static std::tm localNow();

private:
    // Sizes the clock to the text: as wide as the widest digits and weekday
    // would make it, so that it does not change size from second to second.
    void fitTo(const std::string& shown);
    float textWidth(const std::string& text);

    std::string label_;
    TimeSource now_;
    NoteSource note_;
    std::string lastShown_;
    std::string widestDay_;
    char widestDigit_ = '0';
    bool showedTime_ = false;
};

}  // namespace tnx::hud
