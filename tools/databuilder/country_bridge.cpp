#include "country_bridge.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cctype>
#include <cmath>
#include <set>

namespace tnx::databuilder {

namespace {

// Entities whose names match no code, or whose code they share.
struct EntityAlias {
    const char* code;  // FIPS
    const char* iso;   // alpha-3
    const char* name;  // a better name than the Factbook's own, or null
};
constexpr EntityAlias kEntityAliases[] = {
    {"um", "UMI", "United States Pacific Island Wildlife Refuges"},
    {"wq", "UMI", nullptr},
    {"bq", "UMI", nullptr},
    {"sv", "SJM", nullptr},
    {"jn", "SJM", nullptr},
    {"we", "PSE", nullptr},
    {"gz", "PSE", nullptr},
};

// Codes the Factbook counts as part of another country.
constexpr std::pair<const char*, const char*> kPartOf[] = {
    {"ALA", "FIN"}, {"BES", "NLD"}, {"GLP", "FRA"}, {"GUF", "FRA"}, {"MTQ", "FRA"}, {"MYT", "FRA"}, {"REU", "FRA"},
};

// Places the atlas names without a code of their own (or with another
// country's code): alpha-3 codes, or "fips:" and a Factbook code.
constexpr std::pair<const char*, const char*> kPlaceAliases[] = {
    {"Ashmore and Cartier Is.", "fips:at"},
    {"Indian Ocean Ter.", "CXR CCK"},
    {"Somaliland", "SOM"},
    {"N. Cyprus", "CYP"},
};

std::vector<std::string> words(std::string_view s) {
    std::vector<std::string> out;
    std::string w;
    for (char c : s) {
        if (c == ' ') {
            if (!w.empty()) out.push_back(std::move(w));
            w.clear();
        } else {
            w += c;
        }
    }
    if (!w.empty()) out.push_back(std::move(w));
    return out;
}

}  // namespace

std::string CountryBridge::normalised(std::string_view utf8) {
    const QString decomposed =
        QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).normalized(QString::NormalizationForm_KD);
    std::string ascii;
    int depth = 0;
    for (QChar c : decomposed) {
        if (c == '(') ++depth;
        else if (c == ')') depth = depth > 0 ? depth - 1 : 0;
        else if (depth > 0) continue;
        else if (c == '&') ascii += " and ";
        else if (c.unicode() < 128 && c.isLetterOrNumber()) ascii += char(std::tolower(c.unicode()));
        else if (c.unicode() < 128 || c.isSpace()) ascii += ' ';
        // marks and letters outside ASCII are dropped
    }
    std::string out;
    for (const std::string& w : words(ascii)) {
        if (out.empty() && w == "the") continue;
        if (!out.empty()) out += ' ';
        out += (w == "saint" || w == "ste") ? std::string("st") : w;
    }
    return out;
}

std::string CountryBridge::isoKey(std::string_view iso) const {
    auto it = codes_.find(std::string(iso));
    std::string key = it != codes_.end() ? it->second.cca3 : std::string();
    for (const auto& [part, whole] : kPartOf)
        if (key == part) key = whole;
    return key;
}

bool CountryBridge::load(std::span<const uint8_t> worldCountries, const Factbook& factbook, std::string& error) {
    factbook_ = &factbook;
    names_.clear();
    entryIso_.clear();
    codes_.clear();
    byIso_.clear();
    byName_.clear();

    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(worldCountries.data()), qsizetype(worldCountries.size())),
        &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isArray()) {
        error = "the country list is not a JSON array";
        return false;
    }
    // Normalised name -> alpha-3: common names and spellings first, official
    // names apart (the official "Virgin Islands" is the British ones').
    std::map<std::string, std::string> isoByName, isoByOfficial;
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject c = v.toObject();
        Code code{c.value("cca3").toString().toStdString(),
                  c.value("name").toObject().value("common").toString().toStdString()};
        const QJsonArray latlng = c.value("latlng").toArray();
        if (latlng.size() == 2) {
            code.hasPosition = true;
            code.latitude = latlng.at(0).toDouble();
            code.longitude = latlng.at(1).toDouble();
        }
        if (code.cca3.empty()) continue;
        for (const char* field : {"cca2", "cca3", "ccn3"}) {
            const std::string key = c.value(field).toString().toStdString();
            if (!key.empty()) codes_[key] = code;
        }
        std::vector<QString> spellings = {c.value("name").toObject().value("common").toString()};
        for (const QJsonValue& alt : c.value("altSpellings").toArray()) spellings.push_back(alt.toString());
        for (const QString& s : spellings) {
            const std::string key = normalised(s.toStdString());
            if (key.size() > 2) isoByName.emplace(key, code.cca3);  // not the bare two-letter codes
        }
        isoByOfficial.emplace(normalised(c.value("name").toObject().value("official").toString().toStdString()),
                              code.cca3);
    }
    if (codes_.empty()) {
        error = "the country list names no codes";
        return false;
    }

    const auto& entries = factbook.entries();
    entryIso_.resize(entries.size());
    names_.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const FactbookEntry& e = entries[i];
        names_[i] = e.name;
        bool aliased = false;
        for (const EntityAlias& a : kEntityAliases)
            if (e.code == a.code) {
                entryIso_[i] = a.iso;
                if (a.name) names_[i] = a.name;
                aliased = true;
            }
        if (aliased) continue;
        for (const auto* index : {&isoByName, &isoByOfficial})
            for (const std::string& form : e.names) {
                // Long forms may list several names ("...; note - ...").
                for (size_t start = 0; start <= form.size() && entryIso_[i].empty();) {
                    size_t end = form.find(';', start);
                    if (end == std::string::npos) end = form.size();
                    auto it = index->find(normalised(std::string_view(form).substr(start, end - start)));
                    if (it != index->end()) entryIso_[i] = it->second;
                    start = end + 1;
                }
                if (!entryIso_[i].empty()) break;
            }
    }
    for (size_t i = 0; i < entries.size(); ++i)
        if (!entryIso_[i].empty()) byIso_[entryIso_[i]].push_back(int(i));
    // An entity alone on its code takes the code's common name, unless that
    // name is another entity's already.
    std::set<std::string> taken;
    for (size_t i = 0; i < entries.size(); ++i) taken.insert(normalised(names_[i]));
    for (const auto& [iso, list] : byIso_) {
        if (list.size() != 1) continue;
        auto c = codes_.find(iso);
        if (c == codes_.end()) continue;
        const std::string key = normalised(c->second.common);
        if (key != normalised(names_[size_t(list[0])]) && taken.count(key)) continue;
        taken.insert(key);
        names_[size_t(list[0])] = c->second.common;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        byName_.emplace(normalised(names_[i]), int(i));
        for (const std::string& form : entries[i].names) byName_.emplace(normalised(form), int(i));
    }
    return true;
}

bool CountryBridge::positionOf(size_t entry, double& latitude, double& longitude) const {
    const FactbookEntry& e = factbook_->entries()[entry];
    if (e.hasPosition) {
        latitude = e.latitude;
        longitude = e.longitude;
        return true;
    }
    auto c = codes_.find(entryIso_[entry]);
    if (c == codes_.end() || !c->second.hasPosition) return false;
    latitude = c->second.latitude;
    longitude = c->second.longitude;
    return true;
}

int CountryBridge::nearest(const std::vector<int>& list, double latitude, double longitude) const {
    int best = list.empty() ? -1 : list.front();
    double bestDistance = 1e300;
    for (int i : list) {
        const FactbookEntry& e = factbook_->entries()[size_t(i)];
        if (!e.hasPosition) continue;
        double dLon = std::abs(e.longitude - longitude);
        if (dLon > 180) dLon = 360 - dLon;
        dLon *= std::cos(latitude * M_PI / 180.0);
        const double d = (e.latitude - latitude) * (e.latitude - latitude) + dLon * dLon;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

CountryBridge::Match CountryBridge::resolve(std::string_view iso, std::string_view name, double latitude,
                                            double longitude) const {
    std::vector<int> candidates;
    std::string isoName;
    bool aliased = false;
    for (const auto& [place, targets] : kPlaceAliases) {
        if (name != place) continue;
        aliased = true;
        for (const std::string& t : words(targets)) {
            if (t.rfind("fips:", 0) == 0) {
                for (size_t i = 0; i < entryIso_.size(); ++i)
                    if (factbook_->entries()[i].code == t.substr(5)) candidates.push_back(int(i));
            } else if (auto it = byIso_.find(isoKey(t)); it != byIso_.end()) {
                candidates.insert(candidates.end(), it->second.begin(), it->second.end());
            }
        }
    }
    if (!aliased && !iso.empty()) {
        const std::string key = isoKey(iso);
        if (auto it = byIso_.find(key); it != byIso_.end()) candidates = it->second;
        if (auto c = codes_.find(key); c != codes_.end()) isoName = c->second.common;
    }
    if (candidates.empty())
        if (auto it = byName_.find(normalised(name)); it != byName_.end()) candidates.push_back(it->second);
    const int entry = nearest(candidates, latitude, longitude);
    if (entry >= 0) return {names_[size_t(entry)], entry};
    return {isoName.empty() ? std::string(name) : isoName, -1};
}

}  // namespace tnx::databuilder
