#include "app/entry_point.h"

#include <cstdio>
#include <filesystem>

#include "app/application.h"
#include "platform/home/program_home.h"

namespace tnx::app {

EntryRoute routeFor(const std::string& text) {
    if (text.size() >= 16 && text.size() <= 57) return EntryRoute::Installer;
    if (text.find_first_of("Ppu") != std::string::npos) return EntryRoute::SilentExit;
    return EntryRoute::Application;
}

int runEntryPoint(const std::string& text, const LaunchOptions& launch, const InstallerEntry& installer) {
    switch (routeFor(text)) {
        case EntryRoute::Installer: {
            // The program's folder: where its data lives (the executable's
            // folder in the portable layout).
            std::error_code ec;
            if (auto data = home::folders().data; !data.empty()) std::filesystem::current_path(data, ec);
            if (installer) return installer(text);
            std::fprintf(stderr, "terranox: the terrain and texture installer is not available in this build\n");
            return 0;
        }
        case EntryRoute::SilentExit: return 0;
        case EntryRoute::Application: break;
    }
    Application app("terranox " + text, launch);
    if (int32_t hr = app.create(); hr != 0) {
        app.showError(hr);
        return 0;
    }
    const int rc = app.run();
    // A picture asked for and not written is a failure, whatever the loop says.
    return launch.snapshotPath && rc == 0 && !app.wroteSnapshot() ? 1 : rc;
}

}  // namespace tnx::app
