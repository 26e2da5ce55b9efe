#include "player/playlist_text.h"

namespace tnx::player {

std::string joinPlaylistText(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& p : paths) {
        if (p.empty()) continue;  // an empty entry would end the list
        text += p;
        text += '\0';
    }
    text += '\0';
    return text;
}

std::vector<std::string> splitPlaylistText(std::string_view text) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nul = text.find('\0', pos);
        std::string_view entry = text.substr(pos, nul == std::string_view::npos ? std::string_view::npos : nul - pos);
        if (entry.empty()) break;
        out.emplace_back(entry);
        if (nul == std::string_view::npos) break;
        pos = nul + 1;
    }
    return out;
}

}  // namespace tnx::player
