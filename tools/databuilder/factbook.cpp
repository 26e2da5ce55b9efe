#include "factbook.h"

#include "platform/io/file_io.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tnx::databuilder {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSkippedCodes[] = {"ee"};
constexpr std::string_view kSkippedFolders[] = {"oceans", "meta"};
constexpr std::string_view kWorldCode = "xx";

std::string trimmed(std::string_view s) {
    const auto notSpace = [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; };
    auto b = std::find_if(s.begin(), s.end(), notSpace);
    auto e = std::find_if(s.rbegin(), s.rend(), notSpace).base();
    return b < e ? std::string(b, e) : std::string();
}

// Drops "(...)" parts.
std::string withoutParentheses(std::string_view s) {
    std::string out;
    int depth = 0;
    for (char c : s) {
        if (c == '(') ++depth;
        else if (c == ')' && depth > 0) --depth;
        else if (depth == 0) out += c;
    }
    std::string collapsed;
    for (char c : out)
        if (!(c == ' ' && !collapsed.empty() && collapsed.back() == ' ')) collapsed += c;
    return trimmed(collapsed);
}

std::string textAt(const QJsonObject& root, std::initializer_list<const char*> path) {
    QJsonObject o = root;
    for (const char* key : path) o = o.value(key).toObject();
    return o.value("text").toString().toStdString();
}

bool isNone(std::string_view s) {
    const std::string t = trimmed(s);
    return t.empty() || t == "none" || t == "None" || t == "NA";
}

}  // namespace

double Factbook::figure(std::string_view text) {
    std::string t = trimmed(text);
    for (std::string_view lead : {"approximately ", "about ", "less than ", "est. "})
        if (t.rfind(lead, 0) == 0) t = t.substr(lead.size());
    if (t.empty() || !(t[0] >= '0' && t[0] <= '9')) return 0;
    std::string digits;
    size_t i = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') digits += c;
        else if (c == '.') digits += c;
        else if (c == ',' && i + 1 < t.size() && t[i + 1] >= '0' && t[i + 1] <= '9') continue;
        else break;
    }
    double value = std::strtod(digits.c_str(), nullptr);
    const std::string rest = trimmed(std::string_view(t).substr(i));
    if (rest.rfind("million", 0) == 0) value *= 1e6;
    else if (rest.rfind("billion", 0) == 0) value *= 1e9;
    else if (rest.rfind("trillion", 0) == 0) value *= 1e12;
    return value;
}

bool Factbook::coordinates(std::string_view text, double& latitude, double& longitude) {
    static const QRegularExpression pattern(
        R"((\d{1,2})\s+(\d{1,2})\s*([NS])\s*,\s*(\d{1,3})\s+(\d{1,2})\s*([EW]))");
    const auto m = pattern.match(QString::fromUtf8(text.data(), qsizetype(text.size())));
    if (!m.hasMatch()) return false;
    latitude = m.captured(1).toDouble() + m.captured(2).toDouble() / 60.0;
    longitude = m.captured(4).toDouble() + m.captured(5).toDouble() / 60.0;
    if (m.captured(3) == "S") latitude = -latitude;
    if (m.captured(6) == "W") longitude = -longitude;
    return std::abs(latitude) <= 90 && std::abs(longitude) <= 180;
}

std::string Factbook::capital(std::string_view text) {
    std::string t(text);
    for (std::string_view cut : {";", ": note", " note -"}) {
        const size_t at = t.find(cut);
        if (at != std::string::npos) t.resize(at);
    }
    t = withoutParentheses(t);
    return isNone(t) ? std::string() : t;
}

std::optional<FactbookEntry> Factbook::entryOf(std::string_view json, std::string code) {
    QJsonParseError parseError{};
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(json.data(), qsizetype(json.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    const QJsonObject root = doc.object();
    FactbookEntry e;
    e.code = std::move(code);

    // Short forms before long ones, conventional before local; some entities
    // (Curacao, Sint Maarten) only give Dutch or English forms.
    const QJsonObject forms = root.value("Government").toObject().value("Country name").toObject();
    auto addForm = [&](const QString& key) {
        const std::string text = forms.value(key).toObject().value("text").toString().toStdString();
        if (isNone(text)) return;
        const std::string clean = withoutParentheses(text);
        if (!clean.empty() && std::find(e.names.begin(), e.names.end(), clean) == e.names.end())
            e.names.push_back(clean);
    };
    addForm("conventional short form");
    for (auto it = forms.begin(); it != forms.end(); ++it)
        if (it.key().contains("short form") && !it.key().startsWith("conventional")) addForm(it.key());
    addForm("conventional long form");
    for (auto it = forms.begin(); it != forms.end(); ++it)
        if (it.key().contains("long form") && !it.key().startsWith("conventional")) addForm(it.key());
    if (!e.names.empty()) e.name = e.names.front();

    e.population = figure(textAt(root, {"People and Society", "Population"}));
    e.areaTotal = figure(textAt(root, {"Geography", "Area", "total"}));
    e.areaLand = figure(textAt(root, {"Geography", "Area", "land"}));

    // A position for the whole entity, else its metropolitan part's (France
    // lists its overseas regions too), else its capital's.
    const QJsonObject geo = root.value("Geography").toObject().value("Geographic coordinates").toObject();
    std::string where = geo.value("text").toString().toStdString();
    if (where.empty())
        for (auto it = geo.begin(); it != geo.end() && where.empty(); ++it)
            if (it.key().startsWith("metropolitan")) where = it.value().toObject().value("text").toString().toStdString();
    if (where.empty()) where = textAt(root, {"Government", "Capital", "geographic coordinates"});
    e.hasPosition = coordinates(where, e.latitude, e.longitude);

    e.capital = capital(textAt(root, {"Government", "Capital", "name"}));
    e.background = trimmed(textAt(root, {"Introduction", "Background"}));
    e.overview = trimmed(textAt(root, {"Economy", "Economy - overview"}));
    return e;
}

bool Factbook::load(const fs::path& folder, std::string& error) {
    entries_.clear();
    world_ = {};
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& region : fs::directory_iterator(folder, ec)) {
        if (!region.is_directory()) continue;
        const std::string regionName = region.path().filename().string();
        if (std::find(std::begin(kSkippedFolders), std::end(kSkippedFolders), regionName) != std::end(kSkippedFolders))
            continue;
        for (const auto& file : fs::directory_iterator(region.path(), ec))
            if (file.path().extension() == ".json") files.push_back(file.path());
    }
    if (ec) {
        error = "cannot list " + folder.string() + ": " + ec.message();
        return false;
    }
    // Codes in alphabetical order whatever the file system lists first.
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.stem() < b.stem(); });
    bool haveWorld = false;
    for (const fs::path& file : files) {
        const std::string code = file.stem().string();
        if (std::find(std::begin(kSkippedCodes), std::end(kSkippedCodes), code) != std::end(kSkippedCodes)) continue;
        const auto bytes = io::readWholeFile(file);
        if (!bytes) {
            error = "cannot read " + file.string();
            return false;
        }
        auto entry = entryOf(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), code);
        if (!entry) {
            error = file.string() + ": not a Factbook entry";
            return false;
        }
        if (code == kWorldCode) {
            world_ = std::move(*entry);
            world_.name = "World";
            haveWorld = true;
        } else if (!entry->name.empty()) {
            entries_.push_back(std::move(*entry));
        }
    }
    if (entries_.empty() || !haveWorld) {
        error = folder.string() + ": no Factbook entries (or no world entry)";
        return false;
    }
    return true;
}

}  // namespace tnx::databuilder
