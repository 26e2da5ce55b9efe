#include "globe/sky/scene_clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace tnx::globe {

namespace {
// The instant stays within the years the calendar routines serve.
const double kEarliest = double(AstroClock::toUnixMilliseconds(UtcTime{1, 1, 1, 0, 0, 0, 0}));
const double kLatest = double(AstroClock::toUnixMilliseconds(UtcTime{9999, 12, 31, 23, 59, 59, 999}));
}  // namespace

SceneClock::SceneClock(std::optional<UtcTime> start, double rate, WallClock wall) : wall_(std::move(wall)) {
    rate_ = std::clamp(std::isfinite(rate) ? rate : 1.0, -kMaxRate, kMaxRate);
    if (start) {
        live_ = false;
        ms_ = std::clamp(double(AstroClock::toUnixMilliseconds(*start)), kEarliest, kLatest);
    } else if (rate_ != 1) {
        detach();
    }
}

void SceneClock::setWallClock(WallClock wall) {
    const bool wasLive = live_;
    wall_ = std::move(wall);
    if (!wasLive) return;
    ms_ = double(wallNow());
}

int64_t SceneClock::wallNow() const {
    if (wall_) return wall_();
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void SceneClock::detach() {
    if (!live_) return;
    ms_ = double(wallNow());
    live_ = false;
}

void SceneClock::advance(double realSeconds) {
    if (live_ || !std::isfinite(realSeconds)) return;
    ms_ = std::clamp(ms_ + rate_ * realSeconds * 1000.0, kEarliest, kLatest);
}

int64_t SceneClock::unixMilliseconds() const { return live_ ? wallNow() : int64_t(std::floor(ms_)); }

UtcTime SceneClock::now() const { return AstroClock::fromUnixMilliseconds(unixMilliseconds()); }

std::tm SceneClock::localCalendar() const {
    const int64_t ms = unixMilliseconds();
    const auto seconds = std::time_t(ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000));
    std::tm out{};
    localtime_r(&seconds, &out);
    return out;
}

void SceneClock::setRate(double rate) {
    if (!std::isfinite(rate)) return;
    detach();
    rate_ = std::clamp(rate, -kMaxRate, kMaxRate);
}

void SceneClock::halveRate() {
    if (rate_ == 0) return;
    const double half = rate_ / 2;
    setRate(std::fabs(half) < kMinHalvedRate ? std::copysign(kMinHalvedRate, half) : half);
}

void SceneClock::doubleRate() { setRate(rate_ * 2); }

void SceneClock::returnToNow() {
    live_ = true;
    rate_ = 1;
}

std::string SceneClock::rateText() const {
    if (rate_ == 1) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "\xD7%g", rate_);
    return buf;
}

}  // namespace tnx::globe
