// The input stage for local files: opens an item (a path or a "file://"
// URL) and copies it into the input buffer on the file-buffer thread. A
// file that changes while it is being read (its size or modification time
// moves, or it disappears) ends the stream with kErrorInputUnsuccessful.
#pragma once

#include <cstdint>
#include <string>

#include "player/debug_log.h"
#include "player/input_buffer.h"

namespace tnx::player {

class LocalFileInput {
public:
    // "file:///a%20b.mp3" -> "/a b.mp3"; anything else unchanged.
    static std::string pathFromItem(const std::string& item);

    // The file-buffer thread's body: reads until the end, an error or abort,
    // then finishes the buffer with the outcome.
    static void run(const std::string& item, InputBuffer& buffer, DebugLog& log);
};

}  // namespace tnx::player
