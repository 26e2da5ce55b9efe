// The online imagery settings and their record "saveconfigimagery", the
// third record of "Terranox.ini" (files written before it existed have two
// and load unchanged). Fixed part: unused word, stamp 24, layer, cache limit
// in megabytes, flags (1: the screen saver goes online too), reserved; then
// a string list record holding the source's URL template (empty: the NASA
// imagery service).
#pragma once

#include <cstdint>
#include <string>

#include "settings/record.h"

namespace tnx::settings {

enum class ImageryLayer : int32_t {
    Daily = 0,      // yesterday's true-colour mosaic, clouds included
    CloudFree = 1,  // the shaded relief without clouds
    Off = 2,
};
inline constexpr int kImageryLayerCount = 3;
// The names the Options dialog and --help show.
const char* imageryLayerName(ImageryLayer layer);

struct ImagerySettings {
    static constexpr int32_t kDefaultCacheMegabytes = 1024;
    static constexpr int32_t kMinCacheMegabytes = 16;
    static constexpr int32_t kMaxCacheMegabytes = 1 << 20;  // 1 TB

    ImageryLayer layer = ImageryLayer::Daily;  // first run: on
    int32_t cacheMegabytes = kDefaultCacheMegabytes;
    bool saverOnline = false;
    std::string urlTemplate;  // empty: the NASA imagery service
    bool operator==(const ImagerySettings&) const = default;
};

class ImageryConfigRecord : public RecordOwner {
public:
    static constexpr const char* kRecordName = "saveconfigimagery";
    static constexpr uint32_t kStamp = 24;
    static constexpr size_t kFixedSize = 24;
    static constexpr uint32_t kSaverOnlineFlag = 1;
    // Longer templates are not kept (no URL needs that much).
    static constexpr size_t kMaxTemplateLength = 2000;

    explicit ImageryConfigRecord(ImagerySettings& settings) : settings_(settings) {}

    size_t writeRecord(std::vector<uint8_t>& out) override;
    // kRecordApplied (repairs() counts fields put back in range),
    // kRecordNotMine for another stamp or a short fixed part,
    // kRecordNameDiffers, kRecordOverrun.
    int readRecord(std::span<const uint8_t> record) override;
    int repairs() const { return repairs_; }

private:
    ImagerySettings& settings_;
    int repairs_ = 0;
};

}  // namespace tnx::settings
