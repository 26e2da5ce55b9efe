// The clock: a button that, while toggled on, shows the local date and time
// instead of its text, rewritten only when the second changes.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "hud/hud_element.h"

namespace tnx::hud {

class HudClock : public HudElement {
public:
    using TimeSource = std::function<std::tm()>;

    // The label is shown while the clock is toggled off.
    explicit HudClock(int32_t id, std::string label = "Clock", TimeSource now = nullptr);

    void setText(std::string_view text, uint32_t options) override;
    bool tick() override;

    // "%d:%d:%d %s,%d-%d-%d": hour, minute, second, weekday, year, month, day.
    static std::string format(const std::tm& t);
    static std::tm localNow();
    void setTimeSource(TimeSource now) { now_ = now ? std::move(now) : TimeSource(&HudClock::localNow); }

private:
    std::string label_;
    TimeSource now_;
    int lastSecond_ = -1;
    bool showedTime_ = false;
};

}  // namespace tnx::hud
