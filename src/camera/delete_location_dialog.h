// "Delete Location": lists the saved views and deletes the selected one.
#pragma once

#include <QDialog>

class QListWidget;

namespace tnx::camera {

class SavedLocations;

// Controls carry their ids as object names: list "1085", "Delete Selected"
// "1086", Close "2".
class DeleteLocationDialog : public QDialog {
public:
    explicit DeleteLocationDialog(SavedLocations& locations, QWidget* parent = nullptr);
    // Lists every entry as "%3d  %s".
    void refill();
    // Deletes the selected entry and lists the shortened list; without a
    // selection nothing happens.
    void deleteSelected();
    QListWidget* list() const { return list_; }
    static void run(QWidget* parent, SavedLocations& locations);

protected:
    void showEvent(QShowEvent* event) override;

private:
    SavedLocations& locations_;
    QListWidget* list_;
};

}  // namespace tnx::camera
