// "Save Location": asks for the name of the view to save.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace tnx::camera {

// Controls carry their ids as object names: edit "1082", OK "1", Cancel "2".
class SaveLocationDialog : public QDialog {
public:
    explicit SaveLocationDialog(const std::string& initial = {}, QWidget* parent = nullptr);
    // The entered name, cut to what a location entry holds.
    std::string name() const;
    // Runs the dialog modally: true (with the name) on OK, false on Cancel.
    static bool run(QWidget* parent, std::string& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* edit_;
};

}  // namespace tnx::camera
