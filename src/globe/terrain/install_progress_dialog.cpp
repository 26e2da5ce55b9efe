#include "globe/terrain/install_progress_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>

#include "platform/win/dialog_placement.h"

namespace tnx::globe {

InstallProgressDialog::InstallProgressDialog(const std::filesystem::path& file, QWidget* parent)
    : QDialog(parent), installer_(std::make_unique<TileInstaller>(file)) {
    setObjectName(QStringLiteral("161"));
    // No title for a file that names no job.
    setWindowTitle(QString::fromStdString(installer_->title()));
    text_ = new QLabel(QStringLiteral("This may take a few minutes, please wait"), this);
    text_->setObjectName(QStringLiteral("1102"));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("1"));
    ok_->setVisible(false);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(ok_, 0, Qt::AlignHCenter);

    installer_->start();
    timer_ = new QTimer(this);
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });
    timer_->start();
}

InstallProgressDialog::~InstallProgressDialog() {
    // Closing early (Escape, window close) still waits for the worker.
    installer_->wait();
}

void InstallProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::centerOnScreen(this);
}

void InstallProgressDialog::tick() {
    if (!installer_->finished()) return;
    if (!announced_) {
        announced_ = true;
        text_->setText(QStringLiteral("Installed successfully"));
        ok_->setVisible(true);
    }
    elapsed_ += kTickMs;
    if (elapsed_ > kCloseAfterMs) ok_->click();
}

void InstallProgressDialog::done(int result) {
    timer_->stop();
    QDialog::done(result);
}

int runInstaller(const std::string& argumentText, bool showDialog) {
    if (argumentText == "InitTemAndTexture") {
        installTexture(installerFile("globetex11j90.tex"));
        installTerrain(installerFile("globe11c.tem"));
        return 0;
    }
    std::string name = installerArgumentFile(argumentText);
    std::filesystem::path file = name.empty() ? std::filesystem::path() : installerFile(name);
    // Without any display the job still runs, just without its window.
    if (!QApplication::instance() && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        showDialog = false;
    if (!showDialog) {
        if (name.find('.') != std::string::npos) installFile(file);
        return 0;
    }
    std::unique_ptr<QApplication> app;
    if (!QApplication::instance()) {
        static int argc = 1;
        static char arg0[] = "terranox";
        static char* argv[] = {arg0, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
    }
    InstallProgressDialog dialog(name.find('.') != std::string::npos ? file : std::filesystem::path());
    dialog.exec();
    return 0;
}

}  // namespace tnx::globe
