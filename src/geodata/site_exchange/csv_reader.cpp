#include "geodata/site_exchange/csv_reader.h"

#include <QByteArrayView>
#include <algorithm>
#include <array>
#include <optional>

#include "platform/text/text_encoding.h"

namespace tnx::geodata {

namespace {

enum Column { kName, kLatitude, kLongitude, kAltitude, kPopulation, kColumns };

std::optional<Column> columnNamed(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](char c) { return char(std::tolower(uint8_t(c))); });
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    if (name == "name") return kName;
    if (name == "lat" || name == "latitude") return kLatitude;
    if (name == "lon" || name == "lng" || name == "long" || name == "longitude") return kLongitude;
    if (name == "alt" || name == "altitude" || name == "elevation" || name == "ele") return kAltitude;
    if (name == "population") return kPopulation;
    return std::nullopt;
}

// The most frequent of comma, semicolon and tab outside quotes on the
// first line; a comma when there is none.
char delimiterOf(std::string_view text) {
    std::array<size_t, 3> counts{};
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        if (c == ',') ++counts[0];
        if (c == ';') ++counts[1];
        if (c == '\t') ++counts[2];
    }
    const size_t best = size_t(std::max_element(counts.begin(), counts.end()) - counts.begin());
    return counts[best] == 0 ? ',' : ",;\t"[best];
}

bool allBlank(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& f) { return f.find_first_not_of(" \t") == std::string::npos; });
}

// The text as UTF-8: a byte order mark dropped, Windows-1252 converted.
std::string utf8Text(std::span<const uint8_t> bytes) {
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // A mark does not make the rest UTF-8: a file that is not is read as
    // Windows-1252 all the same.
    if (raw.starts_with("\xEF\xBB\xBF")) raw.remove_prefix(3);
    return QByteArrayView(raw.data(), qsizetype(raw.size())).isValidUtf8() ? std::string(raw)
                                                                             : text::windows1252ToUtf8(raw);
}

}  // namespace

bool CsvReader::nextRecord(std::string_view text, size_t& at, char delimiter, std::vector<std::string>& fields,
                           size_t& line, bool& unclosed) {
    fields.clear();
    unclosed = false;
    if (at >= text.size()) return false;
    fields.emplace_back();
    while (at < text.size()) {
        const char c = text[at];
        if (c == '"' && fields.back().empty()) {
            // A quoted field: "" is a quote, line ends belong to the field.
            size_t i = at + 1;
            for (;;) {
                size_t q = text.find('"', i);
                if (q == std::string_view::npos) {
                    line += size_t(std::count(text.begin() + std::ptrdiff_t(i), text.end(), '\n'));
                    fields.back().append(text.substr(i));
                    at = text.size();
                    unclosed = true;
                    return true;
                }
                line += size_t(std::count(text.begin() + std::ptrdiff_t(i), text.begin() + std::ptrdiff_t(q), '\n'));
                fields.back().append(text.substr(i, q - i));
                if (q + 1 < text.size() && text[q + 1] == '"') {
                    fields.back() += '"';
                    i = q + 2;
                    continue;
                }
                at = q + 1;
                break;
            }
        } else if (c == delimiter) {
            fields.emplace_back();
            ++at;
        } else if (c == '\n' || c == '\r') {
            at += c == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
            ++line;
            return true;
        } else {
            // Up to the next delimiter, quote or line end in one go.
            size_t end = text.find_first_of(std::string{delimiter, '"', '\n', '\r'}, at + 1);
            if (end == std::string_view::npos) end = text.size();
            fields.back().append(text.substr(at, end - at));
            at = end;
        }
    }
    return true;
}

PlaceList CsvReader::read(std::span<const uint8_t> bytes) {
    PlaceList list;
    const std::string text = utf8Text(bytes);
    const char delimiter = delimiterOf(text);
    std::vector<std::string> fields;
    size_t at = 0, line = 1;
    bool unclosed = false;

    // The header: the first line that is not blank.
    std::array<int, kColumns> index;
    index.fill(-1);
    for (;;) {
        if (!nextRecord(text, at, delimiter, fields, line, unclosed)) {
            list.fail("it holds no header row");
            return list;
        }
        if (!allBlank(fields)) break;
    }
    for (size_t i = 0; i < fields.size(); ++i)
        if (auto c = columnNamed(fields[i]); c && index[*c] < 0) index[*c] = int(i);
    if (index[kLatitude] < 0 || index[kLongitude] < 0) {
        list.fail(std::string("its header row names no ") +
                  (index[kLatitude] < 0 ? "latitude column (lat or latitude)" : "longitude column (lon, lng or longitude)"));
        return list;
    }
    const size_t needed = size_t(*std::max_element(index.begin(), index.end())) + 1;

    size_t rows = 0;
    while (!list.done()) {
        const std::string where = "line " + std::to_string(line);
        if (!nextRecord(text, at, delimiter, fields, line, unclosed)) break;
        if (allBlank(fields) && !unclosed) continue;
        ++rows;
        if (unclosed) {
            list.skip(where, "a quoted field is never closed");
            break;
        }
        if (fields.size() < needed) {
            list.skip(where, std::to_string(fields.size()) + " fields where the header names " + std::to_string(needed));
            continue;
        }
        auto field = [&](Column c) -> PlaceValue {
            if (index[c] < 0) return {};
            std::string v = fields[size_t(index[c])];
            if (delimiter == ';' && c != kName && std::count(v.begin(), v.end(), ',') == 1 &&
                v.find('.') == std::string::npos)
                std::replace(v.begin(), v.end(), ',', '.');
            return PlaceValue::of(v);
        };
        const std::string name = index[kName] >= 0 ? fields[size_t(index[kName])] : std::string();
        list.add(where, name, field(kLongitude), field(kLatitude), field(kAltitude), field(kPopulation));
    }
    if (!list.done() && rows == 0) list.fail("it holds no rows under its header");
    return list;
}

}  // namespace tnx::geodata
