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

float HudClock::textWidth(const std::string& text) {
    float width = 0;
    layoutLine(text, 0, glyphCapacity_, height_, width);
    return width;
}

void HudClock::fitTo(const std::string& shown) {
    if (widestDay_.empty()) {
        // Once: the widest digit and weekday of the font, so the clock keeps
        // one size as the seconds and the days go by.
        float best = -1;
        for (char d = '0'; d <= '9'; ++d)
            if (const float w = textWidth(std::string(1, d)); w > best) best = w, widestDigit_ = d;
        best = -1;
        for (const char* day : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
            if (const float w = textWidth(day); w > best) best = w, widestDay_ = day;
    }
    std::string measure = shown;
    const size_t space = measure.find(' '), comma = measure.find(',');
    if (space != std::string::npos && comma != std::string::npos && comma > space)
        measure.replace(space + 1, comma - space - 1, widestDay_);
    for (char& c : measure)
        if (c >= '0' && c <= '9') c = widestDigit_;
    const float needed = textWidth(measure);
    if (needed <= 0) return;
    const float wanted = needed + 2 * kPadding * height_;
    if (std::fabs(wanted - width_) < 1e-4f * height_) return;
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
    fitTo(shown);
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
