#include "hud/find_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "hud/placed_window.h"
#include "platform/text/text_encoding.h"

namespace tnx::hud {

FindDialog::FindDialog(BrowserKind kind, std::function<void(std::string_view)> onText, QWidget* parent)
    : kind_(kind), onText_(std::move(onText)), parent_(parent) {}

FindDialog::~FindDialog() { close(); }

QRect FindDialog::placement(const QRect& natural, const QRect& screen) {
    QRect r = natural;
    if (r.top() <= 4 && r.left() <= 4) r.translate(100, 100);
    else r.moveTop(std::max(2 * r.top() - (r.top() + r.height()), -10));
    if (!screen.isValid()) return r;
    r.setSize(r.size().boundedTo(screen.size()));
    r.moveLeft(std::clamp(r.left(), screen.left(), screen.left() + screen.width() - r.width()));
    r.moveTop(std::clamp(r.top(), screen.top(), screen.top() + screen.height() - r.height()));
    return r;
}

void FindDialog::open() {
    if (dialog_) {
        dialog_->show();
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    auto* d = new QDialog(parent_);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->setWindowTitle(kind_ == BrowserKind::City ? "Find City" : "Find Country");
    auto* edit = new QLineEdit(d);
    edit->setObjectName(QString::number(kEditId));
    edit->setMaxLength(kMaxText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    auto* layout = new QVBoxLayout(d);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, d, &QDialog::close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::close);
    QObject::connect(edit, &QLineEdit::textChanged, d, [this] { textChanged(); });
    dialog_ = d;
    last_.clear();
    // A panel's prompt belongs to the viewer's window, above it even in full screen.
    if (!parent_)
        if (QWindow* owner = PlacedWindow::viewerWindow(0)) {
            d->winId();
            if (QWindow* self = d->windowHandle()) self->setTransientParent(owner);
        }

    // Where Qt would put it: over the middle of its window, or of the screen.
    d->adjustSize();
    QScreen* screen = parent_ ? parent_->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect around = parent_ ? parent_->frameGeometry() : area;
    QRect natural(QPoint(0, 0), d->sizeHint());
    natural.moveCenter(around.center());
    d->move(placement(natural, area).topLeft());
    d->show();
    d->raise();
    d->activateWindow();
    edit->setFocus();
}

void FindDialog::close() {
    if (dialog_) dialog_->close();
    dialog_ = nullptr;
}

bool FindDialog::isOpen() const { return dialog_ && dialog_->isVisible(); }

void FindDialog::textChanged() {
    if (!dialog_) return;
    auto* edit = dialog_->findChild<QLineEdit*>(QString::number(kEditId));
    if (!edit) return;
    const std::string text = text::utf8ToWindows1252(edit->text().left(kMaxText).toStdString());
    if (text == last_) return;
    last_ = text;
    if (onText_) onText_(last_);
}

std::unique_ptr<FindPrompt> makeFindDialog(BrowserKind kind, std::function<void(std::string_view)> onText) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return std::make_unique<FindDialog>(kind, std::move(onText));
}

}  // namespace tnx::hud
