#include "app/online_imagery.h"

#include <algorithm>

#include "app/program_version.h"

namespace tnx::app {

OnlineImagery::OnlineImagery(const ImageryPlan& plan, int cacheMegabytes, const std::filesystem::path& cacheRoot) {
    if (!plan.online) return;
    auto source = globe::ImagerySource::make(plan.urlTemplate, plan.layer, error_);
    if (!source) {
        error_ = "Imagery: " + error_;
        return;
    }
    net::HttpLimits limits;
    limits.userAgent = userAgent();
    http_ = net::makeHttpClient(limits);
    const uint64_t diskBytes = uint64_t(std::max(cacheMegabytes, 1)) << 20;
    auto disk = cacheRoot.empty() ? nullptr : std::make_unique<globe::ImageryDiskCache>(cacheRoot, diskBytes);
    loader_ = std::make_unique<globe::ImageryLoader>(std::move(*source), http_.get(), std::move(disk));
}

OnlineImagery::~OnlineImagery() {
    // The loader cancels its requests with the client still there.
    loader_.reset();
    http_.reset();
}

int OnlineImagery::mosaicDay(const globe::UtcTime& scene, const globe::UtcTime& realNow) {
    const int sceneDay = globe::daysFromCivil(scene.year, scene.month, scene.day);
    const int today = globe::daysFromCivil(realNow.year, realNow.month, realNow.day);
    return std::min(sceneDay, today) - 1;
}

std::string OnlineImagery::userAgent() {
    return std::string("Terranox/") + programVersion() + " (3D globe viewer; online imagery)";
}

bool OnlineImagery::update(double now, const globe::UtcTime& scene, const globe::UtcTime& realNow) {
    if (!loader_) return false;
    loader_->setDay(mosaicDay(scene, realNow));
    return loader_->update(now);
}

const std::string& OnlineImagery::status() const { return loader_ ? loader_->status() : error_; }

}  // namespace tnx::app
