#include "camera/save_location_dialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "camera/saved_locations.h"
#include "platform/win/dialog_placement.h"

namespace tnx::camera {

SaveLocationDialog::SaveLocationDialog(const std::string& initial, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Save Location"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    edit_ = new QLineEdit(QString::fromStdString(initial), this);
    edit_->setObjectName(QStringLiteral("1082"));
    edit_->setMaxLength(int(LocationEntry::kMaxNameLength));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
}

std::string SaveLocationDialog::name() const {
    QString text = edit_->text();
    text = text.left(text.indexOf(QLatin1Char('\n')) >= 0 ? text.indexOf(QLatin1Char('\n')) : text.size());
    return SavedLocations::clampName(text.toStdString());
}

void SaveLocationDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::centerOnScreen(this);
}

bool SaveLocationDialog::run(QWidget* parent, std::string& name) {
    SaveLocationDialog dialog(name, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    name = dialog.name();
    return true;
}

}  // namespace tnx::camera
