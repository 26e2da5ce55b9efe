#pragma once

class QWidget;

namespace tnx::platform {

// Centres a dialog on the screen it is on (or the primary one). Dialogs and
// windows of every subsystem share it.
void centerOnScreen(QWidget* widget);

}  // namespace tnx::platform
