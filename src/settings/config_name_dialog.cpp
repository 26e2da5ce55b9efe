#include "settings/config_name_dialog.h"
#include "platform/win/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tnx::settings {

ConfigNameDialog::ConfigNameDialog(const std::string& proposed, QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle(QStringLiteral("Config Name"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Name of the new theme:"), this));
    edit_ = new QLineEdit(QString::fromStdString(proposed), this);
    edit_->setObjectName(QStringLiteral("1058"));
    edit_->setMaxLength(kMaxNameLength);
    edit_->selectAll();
    layout->addWidget(edit_);
    platform::addOkCancel(this, layout);
}

std::string ConfigNameDialog::name() const { return edit_->text().trimmed().toStdString(); }

void ConfigNameDialog::accept() {
    // The stored name list ends at an empty name: a theme must have one.
    if (name().empty()) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Please enter a name for the theme."));
        return;
    }
    QDialog::accept();
}

std::optional<std::string> ConfigNameDialog::ask(const std::string& proposed, QWidget* parent) {
    ConfigNameDialog dialog(proposed, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.name();
}

}  // namespace tnx::settings
