#include "globe/imagery/imagery_source.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tnx::globe {

namespace {

enum class Field { Layer, Time, MatrixSet, Level, Row, Column, Count };

struct Placeholder {
    const char* name;
    Field field;
};
constexpr Placeholder kPlaceholders[] = {
    {"layer", Field::Layer},       {"time", Field::Time},        {"tilematrixset", Field::MatrixSet},
    {"tilematrix", Field::Level},  {"tilerow", Field::Row},      {"tilecol", Field::Column},
    {"z", Field::Level},           {"y", Field::Row},            {"x", Field::Column},
};

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Splits a template into literal text and fields; false (with `error`) on
// an unknown or unclosed placeholder.
bool parse(const std::string& text, std::vector<std::pair<std::string, int>>& parts, std::string& error) {
    size_t at = 0;
    while (at < text.size()) {
        size_t open = text.find('{', at);
        if (open == std::string::npos) {
            parts.emplace_back(text.substr(at), -1);
            break;
        }
        if (open > at) parts.emplace_back(text.substr(at, open - at), -1);
        size_t close = text.find('}', open);
        if (close == std::string::npos) {
            error = "the template has a '{' without its '}'";
            return false;
        }
        const std::string name = lower(text.substr(open + 1, close - open - 1));
        auto p = std::find_if(std::begin(kPlaceholders), std::end(kPlaceholders),
                              [&](const Placeholder& ph) { return name == ph.name; });
        if (p == std::end(kPlaceholders)) {
            error = "the template names an unknown placeholder {" + text.substr(open + 1, close - open - 1) +
                    "} (known: {Layer} {Time} {TileMatrixSet} {TileMatrix} {TileRow} {TileCol}, or {z} {x} {y})";
            return false;
        }
        parts.emplace_back(name, int(p->field));
        at = close + 1;
    }
    return true;
}

}  // namespace

const ImageryLayerInfo& imageryLayerInfo(ImageryLayer layer) {
    static constexpr ImageryLayerInfo kDaily{"VIIRS_SNPP_CorrectedReflectance_TrueColor", "250m", 8, true};
    static constexpr ImageryLayerInfo kCloudFree{"BlueMarble_ShadedRelief_Bathymetry", "500m", 7, false};
    return layer == ImageryLayer::CloudFree ? kCloudFree : kDaily;
}

int daysFromCivil(int year, int month, int day) {
    // Proleptic Gregorian calendar (after H. Hinnant's days_from_civil).
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yoe = year - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string isoDate(int days) {
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const int doe = days - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int day = doy - (153 * mp + 2) / 5 + 1;
    const int month = mp < 10 ? mp + 3 : mp - 9;
    const int year = yoe + era * 400 + (month <= 2);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

ImagerySource::ImagerySource(std::string urlTemplate, ImageryLayer layer, ImageryTileGrid grid)
    : template_(std::move(urlTemplate)), layer_(layer), grid_(grid) {}

std::optional<ImagerySource> ImagerySource::make(const std::string& urlTemplate, ImageryLayer layer,
                                                 std::string& error) {
    if (layer == ImageryLayer::Off) {
        error = "online imagery is switched off";
        return std::nullopt;
    }
    const std::string text = urlTemplate.empty() ? std::string(kNasaTemplate) : urlTemplate;
    if (text.size() > kMaxTemplateLength) {
        error = "the template is longer than 2000 characters";
        return std::nullopt;
    }
    for (char c : text)
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) {
            error = "the template has a blank or a control character";
            return std::nullopt;
        }
    const std::string low = lower(text);
    const size_t scheme = low.rfind("https://", 0) == 0 ? 8 : low.rfind("http://", 0) == 0 ? 7 : 0;
    if (scheme == 0 || text.size() == scheme || text[scheme] == '/') {
        error = "the template must be an http:// or https:// address with a host";
        return std::nullopt;
    }
    std::vector<std::pair<std::string, int>> parts;
    if (!parse(text, parts, error)) return std::nullopt;
    bool has[int(Field::Count)] = {};
    bool wmts = false, plain = false;
    for (const auto& [name, field] : parts) {
        if (field < 0) continue;
        has[field] = true;
        if (name == "tilematrix" || name == "tilerow" || name == "tilecol") wmts = true;
        if (name == "z" || name == "x" || name == "y") plain = true;
    }
    if (wmts && plain) {
        error = "the template mixes {TileMatrix}/{TileRow}/{TileCol} with {z}/{x}/{y}";
        return std::nullopt;
    }
    if (!has[int(Field::Level)] || !has[int(Field::Row)] || !has[int(Field::Column)]) {
        error = "the template needs the tile's level, row and column: {TileMatrix} {TileRow} {TileCol}, or {z} {y} {x}";
        return std::nullopt;
    }
    const ImageryLayerInfo& info = imageryLayerInfo(layer);
    ImageryTileGrid grid = wmts ? ImageryTileGrid::wmts288(info.maxLevel) : ImageryTileGrid::geodetic(kGeodeticMaxLevel);
    ImagerySource source(text, layer, grid);
    source.daily_ = has[int(Field::Time)] && info.daily;
    const size_t hostEnd = low.find('/', scheme);
    const std::string host = low.substr(scheme, hostEnd == std::string::npos ? std::string::npos : hostEnd - scheme);
    const std::string nasaDomain = "earthdata.nasa.gov";
    source.nasa_ = host.size() >= nasaDomain.size() &&
                   host.compare(host.size() - nasaDomain.size(), nasaDomain.size(), nasaDomain) == 0;
    return source;
}

std::string ImagerySource::url(const ImageryTileKey& key, int day) const {
    std::vector<std::pair<std::string, int>> parts;
    std::string error;
    parse(template_, parts, error);
    const ImageryLayerInfo& info = imageryLayerInfo(layer_);
    std::string out;
    out.reserve(template_.size() + 32);
    for (const auto& [text, field] : parts) {
        switch (field < 0 ? Field::Count : Field(field)) {
            case Field::Layer: out += info.identifier; break;
            case Field::Time: out += daily_ ? isoDate(day) : std::string("default"); break;
            case Field::MatrixSet: out += info.matrixSet; break;
            case Field::Level: out += std::to_string(key.level); break;
            case Field::Row: out += std::to_string(key.row); break;
            case Field::Column: out += std::to_string(key.column); break;
            default: out += text; break;
        }
    }
    return out;
}

std::string ImagerySource::host() const {
    const size_t from = template_.find("://");
    if (from == std::string::npos) return template_;
    const size_t to = template_.find('/', from + 3);
    return template_.substr(from + 3, to == std::string::npos ? std::string::npos : to - from - 3);
}

std::string ImagerySource::cacheFolder() const {
    // FNV-1a over what tells two sources' tiles apart.
    const ImageryLayerInfo& info = imageryLayerInfo(layer_);
    const std::string identity = template_ + '\n' + info.identifier + '\n' + info.matrixSet;
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : identity) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

}  // namespace tnx::globe
