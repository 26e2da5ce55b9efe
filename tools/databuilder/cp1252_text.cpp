#include "cp1252_text.h"

#include "platform/text/text_encoding.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <string>

namespace tnx::databuilder {

namespace {

// Letters that do not decompose into a base letter and an accent.
struct Fallback {
    char32_t codePoint;
    const char* latin;
};
constexpr Fallback kFallbacks[] = {
    {0x0141, "L"},  {0x0142, "l"},  {0x0110, "D"},  {0x0111, "d"},  {0x0126, "H"},  {0x0127, "h"},
    {0x0131, "i"},  {0x0138, "k"},  {0x013F, "L"},  {0x0140, "l"},  {0x0166, "T"},  {0x0167, "t"},
    {0x014A, "N"},  {0x014B, "n"},  {0x0132, "IJ"}, {0x0133, "ij"},
    {0x0180, "b"},  {0x0197, "I"},  {0x0268, "i"},  {0x01B5, "Z"},  {0x01B6, "z"},  {0x0189, "D"},
    {0x0256, "d"},  {0x0257, "d"},  {0x02BB, "'"},  {0x02BC, "'"},  {0x02BF, "'"},  {0x02BE, "'"},
    {0x2032, "'"},  {0x2033, "\""}, {0x2010, "-"},  {0x2011, "-"},  {0x2212, "-"},
};

bool isWordChar(char32_t cp) { return QChar::isLetterOrNumber(cp) || QChar::isMark(cp); }

// One character of a word that must go plain: its base letter(s), or the
// table's Latin form, or '?'.
void appendPlain(std::string& out, char32_t cp) {
    for (const Fallback& f : kFallbacks)
        if (f.codePoint == cp) {
            out += f.latin;
            return;
        }
    const QString parts = QString::fromUcs4(&cp, 1).normalized(QString::NormalizationForm_KD);
    bool any = false;
    for (char32_t p : parts.toUcs4()) {
        if (QChar::isMark(p)) continue;
        if (unsigned char b = Cp1252Text::byteOf(p)) {
            out += char(b);
            any = true;
        }
    }
    if (!any) out += '?';
}

// A word the code page can spell keeps its accents; any other loses all of
// them, so "Łódź" reads "Lodz" rather than a mix of kept and lost marks.
void appendWord(std::string& out, const std::u32string& word) {
    const bool spellable =
        std::all_of(word.begin(), word.end(), [](char32_t cp) { return Cp1252Text::byteOf(cp) != 0; });
    for (char32_t cp : word) {
        if (spellable) out += char(Cp1252Text::byteOf(cp));
        else appendPlain(out, cp);
    }
}

void appendOther(std::string& out, char32_t cp) {
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) {
        if (!out.empty() && out.back() != ' ') out += ' ';
        return;
    }
    if (unsigned char b = Cp1252Text::byteOf(cp)) out += char(b);
    else appendPlain(out, cp);
}

}  // namespace

unsigned char Cp1252Text::byteOf(char32_t cp) { return text::unicodeToWindows1252(cp); }

std::string Cp1252Text::fromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    // Composed forms first, so "a" + combining tilde meets the code page's "ã".
    std::u32string word;
    for (char32_t cp : text.normalized(QString::NormalizationForm_C).toUcs4()) {
        if (isWordChar(cp)) {
            word += cp;
            continue;
        }
        appendWord(out, word);
        word.clear();
        appendOther(out, cp);
    }
    appendWord(out, word);
    return out;
}

}  // namespace tnx::databuilder
