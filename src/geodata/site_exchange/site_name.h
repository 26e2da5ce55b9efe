// Names from other programs' files as a site keeps them: Windows-1252, at
// most 63 characters.
#pragma once

#include <string>
#include <string_view>

namespace tnx::geodata {

class SiteName {
public:
    static constexpr size_t kMaxLength = 63;

    // Runs of blanks and line breaks become one blank and the ends are
    // trimmed; a character Windows-1252 lacks becomes its closest form
    // there (the letter without its accent, "L" for "Ł") or "?"; a longer
    // name is cut. `changed` tells whether the result reads differently from
    // the tidied name.
    static std::string fromUtf8(std::string_view utf8, bool& changed);

    // The Windows-1252 name with its letters in lower case, for comparing
    // names in any letter case.
    static std::string folded(std::string_view name);
};

}  // namespace tnx::geodata
