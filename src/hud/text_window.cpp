#include "hud/text_window.h"

#include <QApplication>
#include <QPlainTextEdit>

#include "platform/text/text_encoding.h"

namespace tnx::hud {

namespace {
constexpr QSize kDefaultSize(600, 480);

QString decode(std::string_view text) { return QString::fromStdString(text::windows1252ToUtf8(text)); }
}  // namespace

TextWindow::TextWindow(const BrowserWindowSetup& setup) : PlacedWindow(setup, kDefaultSize) {
    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QString::number(kEditId));
    edit_->setReadOnly(true);
    setCentralWidget(edit_);
}

void TextWindow::setText(int which, std::string_view text) {
    if (which == 1) {
        QString title = QString::fromStdString(setup().title);
        title += '-';
        title += decode(text);
        setWindowTitle(title);
    } else if (which == 2) {
        // Line ends of any kind become the edit's own.
        QString body = decode(text);
        body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        body.replace('\r', '\n');
        edit_->setPlainText(body);
    }
}

std::unique_ptr<BrowserWindow> makeTextWindow(const BrowserWindowSetup& setup) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return std::make_unique<TextWindow>(setup);
}

}  // namespace tnx::hud
