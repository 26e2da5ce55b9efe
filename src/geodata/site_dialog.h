// The site dialog: name, longitude and latitude in degrees, altitude in
// feet and population of one site, with OK and Cancel. Controls carry their
// ids as object names: "1098" name, "1099" longitude, "1100" latitude,
// "1101" altitude, "1102" population, "1" OK, "2" Cancel. Text that does
// not make a site is refused with a message and the dialog stays open.
#pragma once

#include <QDialog>

#include "geodata/site_form.h"
#include "geodata/user_site_store.h"

class QLineEdit;

namespace tnx::geodata {

class SiteDialog : public QDialog {
public:
    explicit SiteDialog(const UserSiteRecord& site, QWidget* parent = nullptr);

    SiteTexts texts() const;
    // What OK does: the site's values on success, else the message shown
    // (empty on success).
    std::string accept(UserSiteRecord& site);
    const std::string& lastMessage() const { return message_; }

    // Runs the dialog modally: true on OK with `site` updated.
    static bool run(QWidget* parent, UserSiteRecord& site);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tryAccept();

    UserSiteRecord site_;
    std::string message_;
    QLineEdit *name_, *longitude_, *latitude_, *altitude_, *population_;
};

// The site dialog and a message box asking before a deletion.
class DialogSiteEditor : public SiteEditor {
public:
    bool editSite(UserSiteRecord& work) override { return SiteDialog::run(nullptr, work); }
    bool confirmDelete(std::string_view name) override;
};

}  // namespace tnx::geodata
