// The site dialog's fields as text: what the dialog shows for a site
// (degrees, feet) and how the typed text becomes the site's values again
// (radians, metres), held to the site ranges. Texts are UTF-8; the stored
// name is Windows-1252.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geodata/user_site_store.h"

namespace tnx::geodata {

struct SiteTexts {
    std::string name, longitude, latitude, altitude, population;
};

class SiteForm {
public:
    static constexpr double kDegreesPerRadian = 57.29578;
    static constexpr double kRadiansPerDegree = 0.017453292;
    static constexpr double kFeetPerMetre = 3.2808;
    static constexpr double kMetresPerFoot = 0.3048037;
    static constexpr size_t kMaxNameLength = UserSiteRecord::kNameField - 1;
    static constexpr size_t kMaxLine = 256;  // characters read from each field

    // "%.3f" degrees and feet, "%d" inhabitants.
    static SiteTexts texts(const UserSiteRecord& site);
    // Takes the texts into the name, position, altitude and population of
    // `site`. Returns an empty string on success; otherwise the message to
    // show, and `site` is left as it was.
    static std::string read(const SiteTexts& texts, UserSiteRecord& site);

    // A whole field as a number: optional sign, digits, fraction and
    // exponent, blanks around it; nothing for anything else.
    static std::optional<double> parseReal(std::string_view text);
    static std::optional<long long> parseInteger(std::string_view text);
};

}  // namespace tnx::geodata
