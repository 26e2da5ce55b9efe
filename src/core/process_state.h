// Process-wide values several subsystems consult: the saver mode, the
// draw/present flags the camera and the frame loop share, and whether the
// application is active.
#pragma once

#include <cstdint>

namespace tnx::app {

enum class SaverMode : int32_t {
    Configuration = 0,
    Preview = 1,
    FullScreenSaver = 2,
    InteractiveViewer = 3,
    PasswordChange = 4,
};

// Where the parts drawn over the scene changed, in back-buffer pixels (right
// and bottom exclusive), or everywhere.
struct OverlayArea {
    bool whole = false;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return !whole && (right <= left || bottom <= top); }
    void add(int l, int t, int r, int b);
    void addWhole() { whole = true; }
};

struct ProcessState {
    SaverMode saverMode = SaverMode::Configuration;
    bool renderEnabled = true;    // cleared by the camera while the view is idle
    bool forceRedraw = false;     // set by parts with new content to show
    // Grown by the parts drawn over the scene (the HUD, the spectrum
    // display) when only they changed: they are drawn again over the kept
    // scene image, without drawing the scene, and only there.
    OverlayArea overlayRedraw;
    bool presentNeeded = false;   // set by a draw or a paint message
    bool applicationActive = true;
    int32_t windowChangeCounter = 0;  // bumped whenever the window mode changes
    bool snapshotRun = false;     // --snapshot: render off-screen, write no files
    bool stateWritable = true;    // the folder of the settings files can be written
    uint32_t availableTextureMemory = 0;  // of the current device, read at every restore
};

// The one instance.
ProcessState& processState();

inline bool isInteractiveViewer() { return processState().saverMode == SaverMode::InteractiveViewer; }
// Settings files are written only by an interactive viewer run that is not
// a snapshot, and only where they can be.
inline bool maySaveSettingsFiles() {
    return processState().saverMode == SaverMode::InteractiveViewer && !processState().snapshotRun &&
           processState().stateWritable;
}
inline bool isFullScreenSaver() { return processState().saverMode == SaverMode::FullScreenSaver; }

}  // namespace tnx::app
