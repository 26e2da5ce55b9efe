#include "soundvis/open_files_dialog.h"

#include <QFileDialog>
#include <QStringList>

namespace tnx::soundvis {

std::vector<std::string> OpenFilesDialog::run() {
    // QFileDialog only offers existing files in ExistingFiles mode, and has
    // no read-only box to hide.
    const QStringList chosen = QFileDialog::getOpenFileNames(nullptr, kTitle, QString(), kFilters);
    std::vector<std::string> out;
    out.reserve(size_t(chosen.size()));
    for (const QString& f : chosen) out.push_back(f.toStdString());
    return out;
}

}  // namespace tnx::soundvis
