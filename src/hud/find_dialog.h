// The "Find City" / "Find Country" prompt: a small modeless dialog with one
// edit (control 1058, at most 256 characters). Each time its text changes
// the whole text typed so far goes, in Windows-1252, to the browser, which
// jumps to the first name at or after it. OK and Cancel close it; closing
// destroys the dialog, and opening again makes a new one.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <functional>
#include <string>

#include "hud/browser_window.h"

class QWidget;

namespace tnx::hud {

class FindDialog : public FindPrompt {
public:
    static constexpr int kEditId = 1058;
    static constexpr int kMaxText = 256;

    FindDialog(BrowserKind kind, std::function<void(std::string_view)> onText, QWidget* parent = nullptr);
    ~FindDialog() override;

    void open() override;
    void close() override;
    bool isOpen() const override;
    QDialog* dialog() const { return dialog_; }

    // Where the dialog goes when Qt would open it at `natural` (its frame):
    // one height higher (top at least -10), or, from the screen's very
    // corner, 100 pixels right and down; then wholly onto `screen`.
    static QRect placement(const QRect& natural, const QRect& screen);

private:
    void textChanged();

    BrowserKind kind_;
    std::function<void(std::string_view)> onText_;
    QPointer<QWidget> parent_;
    QPointer<QDialog> dialog_;
    std::string last_;
};

}  // namespace tnx::hud
