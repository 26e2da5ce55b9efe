// The online imagery of one viewer: built from the run's plan, it owns the
// HTTP client and the loader (with its disk cache) and gives the loader the
// day the globe shows. A run that does not go online has none of them.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/imagery_plan.h"
#include "globe/imagery/imagery_loader.h"
#include "globe/sky/astro_clock.h"
#include "platform/net/http_client.h"

namespace tnx::app {

class OnlineImagery {
public:
    // `cacheRoot` empty: nothing is kept on disk.
    OnlineImagery(const ImageryPlan& plan, int cacheMegabytes, const std::filesystem::path& cacheRoot);
    ~OnlineImagery();

    globe::ImageryLoader* loader() { return loader_.get(); }
    const globe::ImageryLoader* loader() const { return loader_.get(); }
    // Once per frame: the daily mosaic follows the scene's date. True when
    // a tile became ready.
    bool update(double now, const globe::UtcTime& scene, const globe::UtcTime& realNow);
    // What went wrong (empty while all is well).
    const std::string& status() const;

    // The day before the scene's date, but never after yesterday: a mosaic
    // of a day to come does not exist.
    static int mosaicDay(const globe::UtcTime& scene, const globe::UtcTime& realNow);
    // "Terranox/VERSION (...)", the User-Agent of every request.
    static std::string userAgent();

private:
    std::unique_ptr<net::HttpClient> http_;
    std::unique_ptr<globe::ImageryLoader> loader_;
    std::string error_;
};

}  // namespace tnx::app
