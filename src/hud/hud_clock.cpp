#include "hud/hud_clock.h"

#include <cmath>
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

void HudClock::setTimeSource(TimeSource now, NoteSource note) {
    now_ = now ? std::move(now) : TimeSource(&HudClock::localNow);
    note_ = std::move(note);
    showedTime_ = false;
}

void HudClock::fitTo(const std::string& shown, const std::string& note) {
    std::tm widest{};
    widest.tm_wday = 3;  // "Wed"
    const std::tm t = now_();
    widest.tm_hour = t.tm_hour, widest.tm_min = t.tm_min, widest.tm_sec = t.tm_sec;
    widest.tm_year = t.tm_year, widest.tm_mon = t.tm_mon, widest.tm_mday = t.tm_mday;
    std::string measure = format(widest) + note;
    if (measure.size() < shown.size()) measure = shown;
    float textWidth = 0;
    layoutLine(measure, 0, glyphCapacity_, height_, textWidth);
    if (textWidth <= 0) return;
    const float wanted = textWidth + 2 * kPadding * height_;
    if (std::fabs(wanted - width_) < 0.01f * height_) return;
    const float grow = wanted - width_;
    width_ = wanted;
    x_ -= grow;
    tx_ -= grow;
    buildFrame();
}

void HudClock::setText(std::string_view text, uint32_t options) {
    if (!(flags_ & kToggled)) {
        showedTime_ = false;
        HudElement::setText(text, options);
        return;
    }
    const std::tm t = now_();
    const std::string note = note_ ? note_() : std::string();
    const std::string suffix = note.empty() ? note : " " + note;
    // The sky's clock may leap whole minutes or days between frames.
    const std::string shown = format(t) + suffix;
    if (showedTime_ && shown == lastShown_) return;
    lastShown_ = shown;
    showedTime_ = true;
    fitTo(shown, suffix);
    HudElement::setText(shown, options);
    text_ = std::string(text);  // the caller's text comes back when toggled off
}

bool HudClock::tick() {
    if (!(flags_ & kToggled)) {
        if (!showedTime_ && text_ == label_ && glyphVertexCount_ > 0) return false;
        setText(label_, 0);
        return true;
    }
    const bool wasTime = showedTime_;
    const std::string before = lastShown_;
    setText(label_, 0);
    return !wasTime || lastShown_ != before;
}

}  // namespace tnx::hud
