#include "hud/hud_clock.h"

#include <cstdio>

namespace tnx::hud {

HudClock::HudClock(int32_t id, std::string label, TimeSource now)
    : HudElement(id), label_(std::move(label)), now_(now ? std::move(now) : TimeSource(&HudClock::localNow)) {}

std::tm HudClock::localNow() {
    std::time_t t = std::time(nullptr);
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

std::string HudClock::format(const std::tm& t) {
    static const char* const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char* day = (t.tm_wday >= 0 && t.tm_wday < 7) ? kDays[t.tm_wday] : "";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d:%d:%d %s,%d-%d-%d", t.tm_hour, t.tm_min, t.tm_sec, day, t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday);
    return buf;
}

void HudClock::setText(std::string_view text, uint32_t options) {
    if (!(flags_ & kToggled)) {
        showedTime_ = false;
        HudElement::setText(text, options);
        return;
    }
    const std::tm t = now_();
    if (showedTime_ && t.tm_sec == lastSecond_) return;
    lastSecond_ = t.tm_sec;
    showedTime_ = true;
    HudElement::setText(format(t), options);
    text_ = std::string(text);  // the caller's text comes back when toggled off
}

bool HudClock::tick() {
    if (!(flags_ & kToggled)) {
        if (!showedTime_ && text_ == label_ && glyphVertexCount_ > 0) return false;
        setText(label_, 0);
        return true;
    }
    const bool wasTime = showedTime_;
    const int second = lastSecond_;
    setText(label_, 0);
    return !wasTime || lastSecond_ != second;
}

}  // namespace tnx::hud
