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

    // "%d:%d:%d %s,%d-%d-%d": hour, minute, second, weekday, year, month, day.
    static std::string format(const std::tm& t);
    static std::tm localNow();

private:
    // The width the text needs: as wide as the widest weekday would make
    // it, so that the clock does not change size from day to day.
    void fitTo(const std::string& shown, const std::string& note);

    std::string label_;
    TimeSource now_;
    NoteSource note_;
    std::string lastShown_;
    bool showedTime_ = false;
};

}  // namespace tnx::hud
