// The installer's progress dialog: "This may take a few minutes, please
// wait" while the worker runs, then "Installed successfully" with an OK
// button, closing itself about five seconds later. Controls carry their ids
// as object names: the dialog "161", the text "1102", OK "1".
#pragma once

#include <QDialog>
#include <memory>

#include "globe/terrain/tile_installer.h"

class QLabel;
class QPushButton;
class QTimer;

namespace tnx::globe {

class InstallProgressDialog : public QDialog {
public:
    static constexpr int kTickMs = 20;
    static constexpr int kCloseAfterMs = 4999;  // closes once the count exceeds this

    // Starts the worker at once for `file` (the title follows its extension).
    explicit InstallProgressDialog(const std::filesystem::path& file, QWidget* parent = nullptr);
    ~InstallProgressDialog() override;

    // One timer tick (public so tests can drive the clock).
    void tick();
    // Milliseconds counted since the worker finished.
    int elapsedMs() const { return elapsed_; }
    const TileInstaller& installer() const { return *installer_; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    std::unique_ptr<TileInstaller> installer_;
    QLabel* text_;
    QPushButton* ok_;
    QTimer* timer_;
    bool announced_ = false;
    int elapsed_ = 0;
};

}  // namespace tnx::globe
