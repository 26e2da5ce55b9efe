// Terranox: the globe viewer and screen saver.
#include <QApplication>
#include <QIcon>
#include <QSurfaceFormat>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/entry_point.h"
#include "app/place_query.h"
#include "app/site_file_command.h"
#include "app/launch_checks.h"
#include "app/program_version.h"
#include "core/frame_timer.h"
#include "globe/terrain/tile_installer.h"
#include "platform/gfx/gl_limits.h"
#include "platform/home/program_home.h"
#include "platform/resources/app_icon.h"
#include "platform/win/native_window.h"
#include "platform/win/qt_window_system.h"

// The leak checker's entry, present only when it is linked in.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

namespace {

// Finds the window a screen-saver manager asked us to draw in; false (with
// the message printed) when there is none.
bool findSaverWindow(tnx::app::LaunchOptions& launch) {
    using tnx::win::NativeWindow;
    auto& request = *launch.saverWindow;
    if (!NativeWindow::available()) {
        std::fprintf(stderr, "terranox: -root and -window-id draw into X11 windows; this display is not X11\n");
        return false;
    }
    uint64_t id = tnx::app::saverWindowFor(request, std::getenv("XSCREENSAVER_WINDOW"));
    if (!id) id = NativeWindow::root();
    if (!NativeWindow::size(id)) {
        std::fprintf(stderr, "terranox: 0x%llx is not a window on display %s\n", static_cast<unsigned long long>(id),
                     NativeWindow::displayName().c_str());
        return false;
    }
    request.id = id;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(resources);
    // The frame timer starts before anything else runs.
    tnx::app::frameTimer();

    std::vector<std::string> args(argv + 1, argv + argc);
    std::string argumentText;
    tnx::app::LaunchOptions launch = tnx::app::extractLaunchOptions(args, argumentText);
    std::error_code ec;
    auto exe = std::filesystem::canonical("/proc/self/exe", ec);
    tnx::home::setExecutableDir(ec ? std::filesystem::current_path() : exe.parent_path());
    if (launch.help) {
        std::fputs((tnx::app::helpText() + tnx::app::foldersHelp(tnx::home::folders())).c_str(), stdout);
        return 0;
    }
    if (launch.version) {
        std::printf("terranox %s\n", tnx::app::programVersion());
        return 0;
    }
    if (!launch.error.empty()) {
        std::fprintf(stderr, "terranox: %s\n", launch.error.c_str());
        return 2;
    }
    if (launch.where) {
        tnx::app::PlaceQuery places;
        std::fputs(places.describe(*launch.where).c_str(), stdout);
        return 0;
    }
    if (launch.siteFile) return tnx::app::runSiteFileCommand(*launch.siteFile, stdout, stderr);

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

    // A manager's window is an X11 window, also in a Wayland session.
    if (launch.saverWindow && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Terranox");
    QApplication::setOrganizationName("Tarnwick");
    QApplication::setApplicationVersion(tnx::app::programVersion());
    QGuiApplication::setDesktopFileName("com.tarnwick.Terranox");
    QApplication::setWindowIcon(tnx::res::appIcon());
    tnx::win::QtWindowSystem windows;
    windows.setOffscreen(launch.snapshotPath.has_value());
    if (launch.snapshotPath && (launch.width > 0 || launch.height > 0)) {
        // Pictures larger than the screen render off-screen, up to the device's limit.
        const auto limit = tnx::gfx::glMaxRenderSize();
        if (limit && (launch.width > *limit || launch.height > *limit)) {
            std::fprintf(stderr, "terranox: --size %dx%d is larger than this OpenGL device renders (at most %dx%d)\n",
                         launch.width, launch.height, *limit, *limit);
            return 2;
        }
    }

    if (tnx::app::drawsGlobe(argumentText, launch)) {
        if (auto missing = tnx::app::missingDataMessage(tnx::home::folders())) {
            std::fprintf(stderr, "terranox: %s\n", missing->c_str());
            // Started from a menu, nobody reads stderr.
            if (!launch.snapshotPath && !launch.saverWindow)
                windows.messageBox(0, "Terranox has " + *missing, "Terranox", tnx::win::MessageBoxIcon::Error);
            return 1;
        }
    }
    if (launch.saverWindow && !findSaverWindow(launch)) return 2;

    tnx::win::setWindowSystem(&windows);
    int rc = tnx::app::runEntryPoint(argumentText, launch, nullptr);
    tnx::win::setWindowSystem(nullptr);
    // Sanitizer builds check for leaks here, while the GL driver is still
    // loaded: at exit it is unloaded first, and what it keeps for the
    // process's life then shows up under a module without a name that no
    // suppression can match. Plain builds have no such function.
    if (__lsan_do_leak_check) __lsan_do_leak_check();
    return rc;
}
