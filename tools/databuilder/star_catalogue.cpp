#include "star_catalogue.h"

#include "platform/io/byte_io.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>

namespace tnx::databuilder {

namespace {

constexpr double kUnitsPerDegree = 65536.0 / 360.0;
constexpr int kMaxPolar = 32767;  // 32768 would lie past the north pole row

bool finite(double v) { return std::isfinite(v); }

}  // namespace

std::optional<StarCatalogue> StarCatalogue::fromGeoJson(std::span<const uint8_t> json,
                                                        std::string* error) {
    auto fail = [&](std::string why) -> std::optional<StarCatalogue> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char*>(json.data()), qsizetype(json.size())),
        &parseError);
    if (doc.isNull()) return fail("not JSON: " + parseError.errorString().toStdString());
    const QJsonObject root = doc.object();
    if (root.value("type").toString() != "FeatureCollection" || !root.value("features").isArray())
        return fail("not a GeoJSON FeatureCollection");

    StarCatalogue cat;
    const QJsonArray features = root.value("features").toArray();
    cat.stars_.reserve(size_t(features.size()));
    for (const QJsonValue& f : features) {
        const QJsonObject feature = f.toObject();
        const QJsonValue mag = feature.value("properties").toObject().value("mag");
        const QJsonArray coords = feature.value("geometry").toObject().value("coordinates").toArray();
        if (!mag.isDouble() || coords.size() < 2 || !coords[0].isDouble() || !coords[1].isDouble()) {
            ++cat.skipped_;
            continue;
        }
        Star s;
        s.raDegrees = coords[0].toDouble();
        s.decDegrees = coords[1].toDouble();
        s.magnitude = mag.toDouble();
        if (!finite(s.raDegrees) || !finite(s.decDegrees) || !finite(s.magnitude) ||
            s.raDegrees < -180.0 || s.raDegrees > 360.0 || std::abs(s.decDegrees) > 90.0) {
            ++cat.skipped_;
            continue;
        }
        if (s.raDegrees < 0) s.raDegrees += 360.0;
        if (s.raDegrees >= 360.0) s.raDegrees -= 360.0;
        cat.stars_.push_back(s);
    }
    return cat;
}

uint16_t StarCatalogue::brightnessForMagnitude(double magnitude) {
    if (!finite(magnitude)) return 1;
    const double b = std::round(kBrightnessAtMagnitudeZero * std::pow(10.0, -magnitude / 5.0));
    return uint16_t(std::clamp(b, 1.0, 65535.0));
}

StarRecord StarCatalogue::toRecord(const Star& star) {
    StarRecord r;
    // Right ascension wraps: 359.999 degrees rounds to a full turn, which is 0.
    const long az = std::lround(star.raDegrees * kUnitsPerDegree);
    r.azimuth = uint16_t(((az % 65536) + 65536) % 65536);
    const long polar = std::lround((star.decDegrees + 90.0) * kUnitsPerDegree);
    r.polar = uint16_t(std::clamp<long>(polar, 0, kMaxPolar));
    r.brightness = brightnessForMagnitude(star.magnitude);
    return r;
}

std::vector<uint8_t> StarCatalogue::encodeStarBin() const {
    std::vector<uint8_t> out;
    out.reserve(4 + kRecordBytes * stars_.size());
    io::ByteWriter w(out);
    w.i32(int32_t(stars_.size()));
    for (const Star& s : stars_) {
        const StarRecord r = toRecord(s);
        w.u16(r.azimuth);
        w.u16(r.polar);
        w.u16(r.brightness);
    }
    return out;
}

}  // namespace tnx::databuilder
