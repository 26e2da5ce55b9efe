// Where the user is, as far as the system's time zone tells: the country
// of the zone and the zone's present offset from UTC.
#pragma once

#include <string>

namespace tnx::clock {

struct SystemRegion {
    // English name of the time zone's country ("France", "United States"),
    // empty when the zone names none (UTC, fixed offsets).
    std::string territory;
    int utcOffsetSeconds = 0;
};

SystemRegion systemRegion();

}  // namespace tnx::clock
