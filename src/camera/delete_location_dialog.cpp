#include "camera/delete_location_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "camera/save_location_dialog.h"
#include "camera/saved_locations.h"
#include "platform/win/dialog_placement.h"

namespace tnx::camera {

DeleteLocationDialog::DeleteLocationDialog(SavedLocations& locations, QWidget* parent)
    : QDialog(parent), locations_(locations) {
    setWindowTitle(QStringLiteral("Delete Location"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("1085"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFont(QFont(QStringLiteral("Monospace")));
    auto* remove = new QPushButton(QStringLiteral("Delete Selected"), this);
    remove->setObjectName(QStringLiteral("1086"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("2"));
    connect(remove, &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    refill();
}

void DeleteLocationDialog::refill() {
    list_->clear();
    for (size_t i = 0; i < locations_.count(); ++i)
        list_->addItem(QString::fromStdString(locations_.listLine(i)));
}

void DeleteLocationDialog::deleteSelected() {
    int row = list_->currentRow();
    if (row < 0 || list_->selectedItems().isEmpty()) return;
    locations_.remove(size_t(row));
    refill();
}

void DeleteLocationDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::centerOnScreen(this);
}

void DeleteLocationDialog::run(QWidget* parent, SavedLocations& locations) {
    DeleteLocationDialog dialog(locations, parent);
    dialog.exec();
}

}  // namespace tnx::camera
