// The player's "Open Files": the desktop's file chooser for MPEG audio, any
// number of existing files at once.
#pragma once

#include <string>
#include <vector>

namespace tnx::soundvis {

class OpenFilesDialog {
public:
    static constexpr const char* kTitle = "Open Audio File";
    // Qt's filter form of the two choices: MPEG audio, and everything.
    static constexpr const char* kFilters =
        "MPEG Audio Streams (.mp1, .mp2, .mp3, .mpp) (*.mp1 *.mp2 *.mp3 *.mpp);;All Files (*.*) (*)";

    // The chosen files with their full paths; empty when cancelled.
    static std::vector<std::string> run();
};

}  // namespace tnx::soundvis
