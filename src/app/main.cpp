// Terranox: the globe viewer and screen saver.
#include <QApplication>
#include <QSurfaceFormat>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/entry_point.h"
#include "app/place_query.h"
#include "core/frame_timer.h"
#include "globe/terrain/tile_installer.h"
#include "platform/home/program_home.h"
#include "platform/win/qt_window_system.h"

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(resources);
    // The frame timer starts before anything else runs.
    tnx::app::frameTimer();

    std::vector<std::string> args(argv + 1, argv + argc);
    std::string argumentText;
    tnx::app::LaunchOptions launch = tnx::app::extractLaunchOptions(args, argumentText);
    if (launch.help) {
        std::fputs(tnx::app::helpText().c_str(), stdout);
        return 0;
    }
    if (!launch.error.empty()) {
        std::fprintf(stderr, "terranox: %s\n", launch.error.c_str());
        return 2;
    }
    std::error_code ec;
    auto exe = std::filesystem::canonical("/proc/self/exe", ec);
    tnx::home::setExecutableDir(ec ? std::filesystem::current_path() : exe.parent_path());
    if (launch.where) {
        tnx::app::PlaceQuery places;
        std::fputs(places.describe(*launch.where).c_str(), stdout);
        return 0;
    }

    // Route first: the installer and the silent exits need no display.
    auto route = tnx::app::routeFor(argumentText);
    if (route == tnx::app::EntryRoute::SilentExit) return 0;
    if (route == tnx::app::EntryRoute::Installer) {
        // The progress dialog needs a display; without one the installer
        // works in this thread and reports on stderr.
        bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
        return tnx::app::runEntryPoint(argumentText, launch, [display](const std::string& text) {
            return tnx::globe::runInstaller(text, display);
        });
    }

    if (launch.lookAt && !launch.lookAtPlace.empty()) {
        std::string error;
        if (!tnx::app::PlaceQuery().resolve(launch.lookAtPlace, *launch.lookAt, error)) {
            std::fprintf(stderr, "terranox: %s\n", error.c_str());
            return 2;
        }
    }

    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Terranox");
    QApplication::setOrganizationName("Tarnwick");
    tnx::win::QtWindowSystem windows;
    windows.setOffscreen(launch.snapshotPath.has_value());
    tnx::win::setWindowSystem(&windows);
    int rc = tnx::app::runEntryPoint(argumentText, launch, nullptr);
    tnx::win::setWindowSystem(nullptr);
    return rc;
}
