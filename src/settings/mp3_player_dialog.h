// "Mp3player": the music configuration — the player's switch, the spectrum
// display, shuffling, the maximum number of files, the play mode, and the
// directory and file lists with the directories to play. A thin layer over
// MusicListEditor. Controls carry their numeric ids as object names.
#pragma once

class QWidget;

namespace tnx::settings {

class Configuration;
class MusicListEditor;

class Mp3PlayerDialog {
public:
    static constexpr int kDialogId = 153;
    enum ControlId {
        kEnable = 1100,
        kSpectrum = 1101,
        kRandomize = 1102,
        kMaxFiles = 1103,
        kPlayMode = 1104,
        kDirectoryList = 1105,
        kFileList = 1106,
        kEditDirectories = 1107,
        kEditFiles = 1108,
        kTop = 1109,
        kUp = 1110,
        kDown = 1111,
        kBottom = 1112,
        kRemove = 1113,
        kRemoveAll = 1114,
        kAddFiles = 1115,
        kAddDirectory = 1116,
    };
    // Open-file choice: the title and the two filters (the patterns in the
    // last parentheses, hidden from the user).
    static constexpr const char* kOpenTitle = "Open Audio File";
    static constexpr const char* kDirectoryTitle = "select directory";

    // Runs the dialog modally: true on OK (the music configuration changed).
    static bool run(Configuration& config, QWidget* parent = nullptr);
    // Builds the dialog without running it (tests drive it); OK and Cancel
    // act as in run.
    static QWidget* build(Configuration& config, QWidget* parent = nullptr);
    // The list editing behind a dialog that build made, and showing its
    // lists again after editing them there.
    static MusicListEditor& editor(QWidget* dialog);
    static void refresh(QWidget* dialog);
};

}  // namespace tnx::settings
