// The OK and Cancel row a dialog ends with: the buttons are named by their
// control ids ("1" and "2") so tests and scripts find them.
#pragma once

class QBoxLayout;
class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace tnx::platform {

struct DialogButtons {
    QDialogButtonBox* box = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

// Adds the row at the end of `layout`. With `closeOnly` both buttons just
// close the dialog (a modeless dialog whose changes are already live).
DialogButtons addOkCancel(QDialog* dialog, QBoxLayout* layout, bool closeOnly = false);

}  // namespace tnx::platform
