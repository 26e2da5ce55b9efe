// The file choosers of "Import Sites…" (with the choice to take GPX route
// points too) and "Export Sites…", and the message boxes that report.
#pragma once

#include "geodata/site_exchange/site_file_ui.h"

namespace tnx::geodata {

class DialogSiteFiles : public SiteFileUi {
public:
    // Lines shown in a report's details at most.
    static constexpr size_t kMaxDetailLines = 1000;

    std::optional<ImportChoice> chooseImportFile() override;
    std::optional<std::string> chooseExportFile() override;
    void busy(bool on) override;
    void showImportReport(const SiteImportReport& report) override;
    void showExportResult(const std::string& text, bool error) override;

    // The report box's text and details.
    static std::string reportText(const SiteImportReport& report);
    static std::string reportDetails(const SiteImportReport& report);
};

}  // namespace tnx::geodata
