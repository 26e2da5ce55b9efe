// "Config Name": the name of a new globe theme (edit 1058, OK 1, Cancel 2).
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace tnx::settings {

class ConfigNameDialog : public QDialog {
public:
    static constexpr int kDialogId = 146;
    static constexpr int kMaxNameLength = 256;

    explicit ConfigNameDialog(const std::string& proposed, QWidget* parent = nullptr);
    // The name entered, trimmed.
    std::string name() const;
    // Runs the dialog: the name on OK, nothing on Cancel.
    static std::optional<std::string> ask(const std::string& proposed, QWidget* parent = nullptr);

    void accept() override;

private:
    QLineEdit* edit_;
};

}  // namespace tnx::settings
