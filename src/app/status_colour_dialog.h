// The colours of the floating status window (dialog 158): six buttons, each
// filled with its colour, for the text and background of the coordinates,
// the city and the country. A click opens the colour chooser and the choice
// applies at once; OK and Cancel both just close. Controls carry their ids
// as object names.
#pragma once

class QDialog;
class QWidget;

namespace tnx::app {

class FloatingStatus;

class StatusColourDialog {
public:
    static constexpr int kDialogId = 158;
    // Even ids: text colours of slots 0, 1, 2; odd ids: their backgrounds.
    static constexpr int kFirstButton = 1096;
    static constexpr int kButtons = 6;

    // Modal over `parent` (the Options dialog), or over the screen's middle.
    static void run(QWidget* parent, FloatingStatus& status);
    // The dialog, not shown (tests drive it).
    static QDialog* build(FloatingStatus& status);
};

}  // namespace tnx::app
