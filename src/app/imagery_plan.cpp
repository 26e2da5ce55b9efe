#include "app/imagery_plan.h"

#include <cctype>

#include "app/command_line.h"

namespace tnx::app {

ImageryPlan imageryPlan(const LaunchOptions& launch, const settings::ImagerySettings& kept, SaverMode mode,
                        bool offlineEnvironment) {
    ImageryPlan plan;
    plan.layer = kept.layer;
    plan.urlTemplate = kept.urlTemplate;
    if (launch.imagery) {
        std::string lower;
        for (char c : *launch.imagery) lower += char(std::tolower(static_cast<unsigned char>(c)));
        if (lower == "daily") plan.layer = settings::ImageryLayer::Daily;
        else if (lower == "cloud-free") plan.layer = settings::ImageryLayer::CloudFree;
        else if (lower == "off") plan.layer = settings::ImageryLayer::Off;
        else {
            plan.urlTemplate = *launch.imagery;
            // A source given for the run is meant to be seen.
            if (plan.layer == settings::ImageryLayer::Off) plan.layer = settings::ImageryLayer::Daily;
        }
    }
    bool asked = launch.online;
    if (!asked && !launch.snapshotPath) {
        if (mode == SaverMode::InteractiveViewer) asked = !offlineEnvironment;
        else if (mode == SaverMode::FullScreenSaver) asked = kept.saverOnline && !offlineEnvironment;
    }
    plan.online = asked && plan.layer != settings::ImageryLayer::Off;
    return plan;
}

}  // namespace tnx::app
