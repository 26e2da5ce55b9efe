#include "platform/win/dialog_buttons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace tnx::platform {

DialogButtons addOkCancel(QDialog* dialog, QBoxLayout* layout, bool closeOnly) {
    DialogButtons b;
    b.box = new QDialogButtonBox(dialog);
    b.ok = b.box->addButton(QDialogButtonBox::Ok);
    b.ok->setObjectName(QStringLiteral("1"));
    b.cancel = b.box->addButton(QDialogButtonBox::Cancel);
    b.cancel->setObjectName(QStringLiteral("2"));
    if (closeOnly) {
        QObject::connect(b.ok, &QPushButton::clicked, dialog, &QDialog::close);
        QObject::connect(b.cancel, &QPushButton::clicked, dialog, &QDialog::close);
    } else {
        QObject::connect(b.ok, &QPushButton::clicked, dialog, &QDialog::accept);
        QObject::connect(b.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    }
    layout->addWidget(b.box);
    return b;
}

}  // namespace tnx::platform
