#include "platform/text/text_encoding.h"

#include <iconv.h>

#include <cerrno>

namespace tnx::text {

namespace {

// Runs iconv over the whole input; an unconvertible or invalid sequence
// emits `replacement` and skips one input byte (UTF-8 continuation bytes
// that follow are skipped too when the input is UTF-8).
std::string convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    bool utf8Input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return std::string(in);
    std::string out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, size_t(dst - buffer));
        if (r != size_t(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or a cut-off sequence at the end.
        out.append(replacement);
        ++src;
        --srcLeft;
        while (utf8Input && srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80) {
            ++src;
            --srcLeft;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string utf8ToWindows1252(std::string_view utf8) { return convert("WINDOWS-1252", "UTF-8", utf8, "?", true); }

std::string windows1252ToUtf8(std::string_view text) {
    return convert("UTF-8", "WINDOWS-1252", text, "\xEF\xBF\xBD", false);
}

}  // namespace tnx::text
