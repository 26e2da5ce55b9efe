#include "geodata/site_exchange/site_name.h"

#include <QList>
#include <QString>
#include <utility>

#include "platform/text/text_encoding.h"

namespace tnx::geodata {

namespace {

// Letters that do not decompose into one Windows-1252 has.
constexpr std::pair<char32_t, char> kLookAlikes[] = {
    {0x0141, 'L'}, {0x0142, 'l'}, {0x0110, 'D'}, {0x0111, 'd'}, {0x0126, 'H'}, {0x0127, 'h'},
    {0x0131, 'i'}, {0x0166, 'T'}, {0x0167, 't'}, {0x014A, 'N'}, {0x014B, 'n'}, {0x018F, 'E'},
    {0x0259, 'e'}, {0x2010, '-'}, {0x2011, '-'}, {0x2012, '-'}, {0x2212, '-'}};

char byteOf(char32_t c) { return char(text::unicodeToWindows1252(c)); }

std::string closestForm(char32_t c) {
    if (char b = byteOf(c)) return std::string(1, b);
    // The compatibility decomposition without its accents: "é" of "é",
    // "fi" of the ligature.
    std::string out;
    const QString parts = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    for (char32_t p : parts.toUcs4()) {
        if (QChar::isMark(p)) continue;
        char b = byteOf(p);
        if (!b) {
            out.clear();
            break;
        }
        out += b;
    }
    if (!out.empty()) return out;
    for (auto [from, to] : kLookAlikes)
        if (from == c) return std::string(1, to);
    return "?";
}

}  // namespace

std::string SiteName::fromUtf8(std::string_view utf8, bool& changed) {
    const QString tidy = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).simplified();
    std::string out;
    for (char32_t c : tidy.toUcs4()) {
        out += closestForm(c);
        if (out.size() >= kMaxLength) break;
    }
    if (out.size() > kMaxLength) out.resize(kMaxLength);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    changed = text::windows1252ToUtf8(out) != tidy.toStdString();
    return out;
}

std::string SiteName::folded(std::string_view name) {
    std::string out(name);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) ch = char(c + 0x20);
        else if (c == 0x8A || c == 0x8C || c == 0x8E) ch = char(c + 0x10);
        else if (c == 0x9F) ch = char(0xFF);
    }
    return out;
}

}  // namespace tnx::geodata
