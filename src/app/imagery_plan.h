// Whether this run shows online imagery, and from where. The interactive
// viewer goes online unless the user switched the imagery off (or
// $TERRANOX_OFFLINE is set, as the tests do); the screen saver only with
// its setting; snapshots only with --online. --online always wins.
// --imagery overrides the kept layer or template for the run.
#pragma once

#include <string>

#include "core/process_state.h"
#include "settings/imagery_settings.h"

namespace tnx::app {

struct LaunchOptions;

struct ImageryPlan {
    bool online = false;
    settings::ImageryLayer layer = settings::ImageryLayer::Off;
    std::string urlTemplate;  // empty: the NASA service
};

ImageryPlan imageryPlan(const LaunchOptions& launch, const settings::ImagerySettings& kept, SaverMode mode,
                        bool offlineEnvironment);

}  // namespace tnx::app
