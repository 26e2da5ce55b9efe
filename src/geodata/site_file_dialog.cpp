#include "geodata/site_file_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>

namespace tnx::geodata {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

const QStringList kFilters = {
    QStringLiteral("Site files (*.kml *.gpx *.geojson *.json *.csv)"), QStringLiteral("KML (*.kml)"),
    QStringLiteral("GPX (*.gpx)"), QStringLiteral("GeoJSON (*.geojson *.json)"), QStringLiteral("CSV (*.csv)")};

// Where the last file was chosen, for the next chooser of this run.
QString& lastFolder() {
    static QString folder;
    return folder;
}

void prepare(QFileDialog& d) {
    // Ours, not the desktop's: it carries the route point choice, and stays
    // above a viewer that is always on top.
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setWindowFlags(d.windowFlags() | Qt::WindowStaysOnTopHint);
    if (!lastFolder().isEmpty()) d.setDirectory(lastFolder());
}

std::optional<std::string> chosen(QFileDialog& d) {
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
    lastFolder() = d.directory().absolutePath();
    return d.selectedFiles().first().toStdString();
}

void showBox(QMessageBox::Icon icon, const QString& title, const std::string& text, const std::string& details) {
    QMessageBox box(icon, title, fromUtf8(text), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("SiteFileReport"));
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    if (!details.empty()) box.setDetailedText(fromUtf8(details));
    box.exec();
}

}  // namespace

std::optional<SiteFileUi::ImportChoice> DialogSiteFiles::chooseImportFile() {
    QFileDialog d(nullptr, QStringLiteral("Import Sites"));
    prepare(d);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setNameFilters(kFilters + QStringList{QStringLiteral("All files (*)")});
    auto* routePoints = new QCheckBox(QStringLiteral("Also import the route points of GPX files"), &d);
    routePoints->setObjectName(QStringLiteral("routePoints"));
    if (auto* grid = qobject_cast<QGridLayout*>(d.layout())) grid->addWidget(routePoints, grid->rowCount(), 0, 1, -1);
    std::optional<std::string> path = chosen(d);
    if (!path) return std::nullopt;
    return ImportChoice{*path, routePoints->isChecked()};
}

std::optional<std::string> DialogSiteFiles::chooseExportFile() {
    QFileDialog d(nullptr, QStringLiteral("Export Sites"));
    prepare(d);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setNameFilters(kFilters.mid(1));
    // A name typed without an extension takes the chosen format's.
    static const QStringList suffixes = {"kml", "gpx", "geojson", "csv"};
    d.setDefaultSuffix(suffixes[0]);
    QObject::connect(&d, &QFileDialog::filterSelected, &d, [&d](const QString& filter) {
        qsizetype i = kFilters.mid(1).indexOf(filter);
        if (i >= 0) d.setDefaultSuffix(suffixes[i]);
    });
    d.selectFile(QStringLiteral("sites.kml"));
    return chosen(d);
}

void DialogSiteFiles::busy(bool on) {
    if (on) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

std::string DialogSiteFiles::reportText(const SiteImportReport& report) {
    if (!report.error.empty()) return report.file + " could not be imported: " + report.error + ".";
    std::string text = report.file + ": " + report.summary() + ".";
    if (report.imported == 0 && report.skipped == 0) text += "\nEvery place of the file is already there.";
    return text;
}

std::string DialogSiteFiles::reportDetails(const SiteImportReport& report) {
    std::string details;
    size_t shown = 0;
    const size_t total = report.skippedLines.size() + report.nameLines.size();
    for (const auto* lines : {&report.skippedLines, &report.nameLines})
        for (const std::string& line : *lines) {
            if (shown++ == kMaxDetailLines) {
                details += "… and " + std::to_string(total - kMaxDetailLines) + " more\n";
                return details;
            }
            details += line + "\n";
        }
    return details;
}

void DialogSiteFiles::showImportReport(const SiteImportReport& report) {
    const int status = report.exitStatus();
    showBox(status == 0 ? QMessageBox::Information : status == 1 ? QMessageBox::Warning : QMessageBox::Critical,
            QStringLiteral("Import Sites"), reportText(report), reportDetails(report));
}

void DialogSiteFiles::showExportResult(const std::string& text, bool error) {
    showBox(error ? QMessageBox::Critical : QMessageBox::Information, QStringLiteral("Export Sites"), text, {});
}

}  // namespace tnx::geodata
