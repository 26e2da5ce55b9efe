#include "geodata/site_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/text/text_encoding.h"
#include "platform/win/dialog_placement.h"

namespace tnx::geodata {

namespace {
QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
}  // namespace

SiteDialog::SiteDialog(const UserSiteRecord& site, QWidget* parent) : QDialog(parent), site_(site) {
    const SiteTexts t = SiteForm::texts(site);
    setWindowTitle(fromUtf8(t.name));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    auto edit = [this](const char* id, const std::string& text) {
        auto* e = new QLineEdit(fromUtf8(text), this);
        e->setObjectName(QString::fromLatin1(id));
        e->setMaxLength(int(SiteForm::kMaxLine));
        return e;
    };
    name_ = edit("1098", t.name);
    longitude_ = edit("1099", t.longitude);
    latitude_ = edit("1100", t.latitude);
    altitude_ = edit("1101", t.altitude);
    population_ = edit("1102", t.population);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name"), name_);
    form->addRow(QStringLiteral("Longitude (degrees)"), longitude_);
    form->addRow(QStringLiteral("Latitude (degrees)"), latitude_);
    form->addRow(QStringLiteral("Altitude (feet)"), altitude_);
    form->addRow(QStringLiteral("Population"), population_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { tryAccept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

SiteTexts SiteDialog::texts() const {
    auto text = [](const QLineEdit* e) { return e->text().toStdString(); };
    return {text(name_), text(longitude_), text(latitude_), text(altitude_), text(population_)};
}

std::string SiteDialog::accept(UserSiteRecord& site) { return SiteForm::read(texts(), site); }

void SiteDialog::tryAccept() {
    message_ = accept(site_);
    if (message_.empty()) {
        QDialog::accept();
        return;
    }
    QMessageBox::warning(this, windowTitle(), fromUtf8(message_));
}

void SiteDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::centerOnScreen(this);
}

bool SiteDialog::run(QWidget* parent, UserSiteRecord& site) {
    SiteDialog dialog(site, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    site = dialog.site_;
    return true;
}

bool DialogSiteEditor::confirmDelete(std::string_view name) {
    const std::string text = "Are you sure to delete " + text::windows1252ToUtf8(name);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Delete Site"), fromUtf8(text),
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    return box.exec() == QMessageBox::Ok;
}

}  // namespace tnx::geodata
