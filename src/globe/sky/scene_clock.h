// The instant the sky shows: the system clock's, or one that runs from a
// chosen start at a chosen rate (simulated seconds per real second; negative
// runs backwards, 0 stands still). A start, a rate other than 1 or an image
// series (which moves only by the pictures' steps) leave the system clock
// until returnToNow().
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "globe/sky/astro_clock.h"

namespace tnx::globe {

class SceneClock {
public:
    // Rates beyond this many simulated seconds per real second are held there.
    static constexpr double kMaxRate = 1e9;
    // The smallest rate halving reaches (below it a rate would look stopped).
    static constexpr double kMinHalvedRate = 1.0 / 1024;
    // Milliseconds since 1970 (UTC) now; tests give their own.
    using WallClock = std::function<int64_t()>;

    // The system clock.
    SceneClock() = default;
    // From `start` (nothing: now) at `rate`; the system clock again when
    // there is no start and the rate is 1.
    SceneClock(std::optional<UtcTime> start, double rate = 1.0, WallClock wall = nullptr);
    SceneClock(UtcTime start, double rate = 1.0) : SceneClock(std::optional<UtcTime>(start), rate) {}

    void setWallClock(WallClock wall);
    // Leaves the system clock from the instant shown now.
    void detach();
    // A frame of `realSeconds`.
    void advance(double realSeconds);

    UtcTime now() const;
    int64_t unixMilliseconds() const;
    // The instant in the local time zone, for the clock on the screen.
    std::tm localCalendar() const;

    double rate() const { return rate_; }
    // From the instant shown now; clamped to +-kMaxRate.
    void setRate(double rate);
    void halveRate();
    void doubleRate();
    // Real time from now on: rate 1, the system clock.
    void returnToNow();
    bool followsSystemClock() const { return live_; }
    // "×3600" while the rate is not 1 (Windows-1252, as the HUD's font), else empty.
    std::string rateText() const;

private:
    int64_t wallNow() const;

    bool live_ = true;
    double ms_ = 0;  // the instant while not live
    double rate_ = 1;
    WallClock wall_;
};

}  // namespace tnx::globe
