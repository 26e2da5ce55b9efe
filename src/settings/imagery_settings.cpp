#include "settings/imagery_settings.h"

#include <algorithm>

#include "settings/string_list_record.h"

namespace tnx::settings {

const char* imageryLayerName(ImageryLayer layer) {
    switch (layer) {
        case ImageryLayer::Daily: return "Daily (yesterday's clouds)";
        case ImageryLayer::CloudFree: return "Cloud-free";
        case ImageryLayer::Off: return "Off";
    }
    return "Off";
}

size_t ImageryConfigRecord::writeRecord(std::vector<uint8_t>& out) {
    RecordWriter writer(out, kRecordName);
    io::ByteWriter& w = writer.data();
    w.u32(0);
    w.u32(kStamp);
    w.i32(int32_t(settings_.layer));
    w.i32(std::clamp(settings_.cacheMegabytes, ImagerySettings::kMinCacheMegabytes,
                     ImagerySettings::kMaxCacheMegabytes));
    w.u32(settings_.saverOnline ? kSaverOnlineFlag : 0);
    w.u32(0);
    StringList source;
    // A string stops at its first NUL; an empty one would end the list.
    const std::string url = settings_.urlTemplate.substr(0, settings_.urlTemplate.find('\0'));
    if (!url.empty() && url.size() <= kMaxTemplateLength) source.items.push_back(url);
    writeStringListRecord(out, source);
    return writer.finish();
}

int ImageryConfigRecord::readRecord(std::span<const uint8_t> record) {
    repairs_ = 0;
    RecordView view;
    if (int r = openRecord(record, kRecordName, view); r != kRecordApplied) return r;
    auto stamp = recordStamp(view);
    if (!stamp || *stamp != kStamp || view.body.size() < kFixedSize) return kRecordNotMine;
    const uint8_t* fixed = view.body.data();
    const int32_t layer = io::loadI32(fixed + 8);
    if (layer >= 0 && layer < kImageryLayerCount) settings_.layer = ImageryLayer(layer);
    else ++repairs_;
    const int32_t megabytes = io::loadI32(fixed + 12);
    settings_.cacheMegabytes =
        std::clamp(megabytes, ImagerySettings::kMinCacheMegabytes, ImagerySettings::kMaxCacheMegabytes);
    if (settings_.cacheMegabytes != megabytes) ++repairs_;
    settings_.saverOnline = (io::loadU32(fixed + 16) & kSaverOnlineFlag) != 0;

    StringList source;
    if (readStringListRecord(view.body.subspan(kFixedSize), source) < 0) {
        ++repairs_;
        return kRecordApplied;
    }
    settings_.urlTemplate.clear();
    if (!source.items.empty()) {
        if (source.items.front().size() <= kMaxTemplateLength) settings_.urlTemplate = source.items.front();
        else ++repairs_;
    }
    return kRecordApplied;
}

}  // namespace tnx::settings
