// What "Import Sites…" and "Export Sites…" ask of the user and show them:
// file choosers and message boxes (the dialog layer implements them).
#pragma once

#include <optional>
#include <string>

#include "geodata/site_exchange/site_transfer.h"

namespace tnx::geodata {

class SiteFileUi {
public:
    struct ImportChoice {
        std::string path;
        bool routePoints = false;  // GPX route points as well as waypoints
    };
    virtual ~SiteFileUi() = default;
    // Nothing: cancelled.
    virtual std::optional<ImportChoice> chooseImportFile() = 0;
    virtual std::optional<std::string> chooseExportFile() = 0;
    // A large file takes a moment to read: the busy pointer meanwhile.
    virtual void busy(bool) {}
    // The summary, with the skipped entries and changed names as details.
    virtual void showImportReport(const SiteImportReport& report) = 0;
    virtual void showExportResult(const std::string& text, bool error) = 0;
};

}  // namespace tnx::geodata
