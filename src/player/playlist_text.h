// Playlist text: file paths separated by NUL characters and ended by an
// empty string (a second NUL).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tnx::player {

std::string joinPlaylistText(const std::vector<std::string>& paths);
// Stops at the first empty entry or at the end of the text, whichever
// comes first; a missing final NUL is forgiven.
std::vector<std::string> splitPlaylistText(std::string_view text);

}  // namespace tnx::player
