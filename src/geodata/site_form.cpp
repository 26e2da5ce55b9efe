#include "geodata/site_form.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "geodata/country_table.h"
#include "platform/text/text_encoding.h"

namespace tnx::geodata {

namespace {

std::string_view trimmed(std::string_view text) {
    text = text.substr(0, std::min(text.size(), SiteForm::kMaxLine));
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    // from_chars takes a minus sign but no plus sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    return text;
}

std::string formatted(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

std::optional<double> SiteForm::parseReal(std::string_view text) {
    text = trimmed(text);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<long long> SiteForm::parseInteger(std::string_view text) {
    text = trimmed(text);
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

SiteTexts SiteForm::texts(const UserSiteRecord& site) {
    SiteTexts t;
    t.name = text::windows1252ToUtf8(site.nameText());
    t.longitude = formatted("%.3f", double(site.longitude) * kDegreesPerRadian);
    t.latitude = formatted("%.3f", double(site.latitude) * kDegreesPerRadian);
    t.altitude = formatted("%.3f", double(site.altitude) * kFeetPerMetre);
    t.population = std::to_string(site.population);
    return t;
}

std::string SiteForm::read(const SiteTexts& texts, UserSiteRecord& site) {
    std::string_view typed = texts.name;
    typed = typed.substr(0, std::min(typed.size(), kMaxLine));
    const std::string name = text::utf8ToWindows1252(typed);
    if (name.find_first_not_of(' ') == std::string::npos) return "Please enter a name for the site.";
    if (text::windows1252ToUtf8(name) != typed)
        return "The name holds characters a site name cannot keep. Please use Western European letters only.";
    if (name.size() > kMaxNameLength)
        return "The name is too long: a site name holds at most " + std::to_string(kMaxNameLength) +
               " characters.";
    auto longitude = parseReal(texts.longitude);
    if (!longitude) return "Longitude must be a number of degrees, such as 2.35 or -73.98.";
    auto latitude = parseReal(texts.latitude);
    if (!latitude) return "Latitude must be a number of degrees, such as 48.86 or -33.87.";
    // Altitude and population may be left empty: unknown, so 0.
    auto altitude = trimmed(texts.altitude).empty() ? 0.0 : parseReal(texts.altitude);
    if (!altitude) return "Altitude must be a number of feet, such as 120 or -50, or empty for 0.";
    auto population = trimmed(texts.population).empty() ? 0LL : parseInteger(texts.population);
    if (!population || *population < 0 || *population > std::numeric_limits<int32_t>::max())
        return "Population must be a whole number from 0 to 2147483647, or empty for 0.";

    copyField(site.name, name);
    site.longitude = std::clamp(float(*longitude * kRadiansPerDegree), -UserSiteStore::kMaxLongitude,
                                UserSiteStore::kMaxLongitude);
    site.latitude = std::clamp(float(*latitude * kRadiansPerDegree), -UserSiteStore::kMaxLatitude,
                               UserSiteStore::kMaxLatitude);
    site.altitude = std::clamp(float(*altitude * kMetresPerFoot), -UserSiteStore::kMaxAltitude,
                               UserSiteStore::kMaxAltitude);
    site.population = int32_t(*population);
    return {};
}

}  // namespace tnx::geodata
