// What the camera needs from the application and the window around it, and
// what it tells the scene that owns it. The camera itself stays plain C++;
// the application implements these on top of its window, the HUD option
// block and the dialogs, and tests use fakes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tnx::camera {

class SavedLocations;

// The pointer tool of the HUD option block (offset 76).
enum class PointerTool : int32_t { None = 0, Rotate = 1, Move = 2, Zoom = 3 };

// The cursor shown over the globe; the host maps these to real cursors
// ("zoom.cur" and "distance.cur" are files the host loads).
enum class PointerCursor : int32_t { None = 0, Arrow = 1, FourWayMove = 2, Zoom = 3, Distance = 4 };

// The main window's mode.
enum class WindowMode : int32_t { Windowed = 1, Transparent = 2, FullScreen = 3 };

// One horizontal strip of the transparent window's region, in client pixels
// (right and bottom exclusive).
struct RegionRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const RegionRect&) const = default;
};

class CameraHost {
public:
    virtual ~CameraHost() = default;

    // Fields of the HUD option block.
    virtual PointerTool pointerTool() const = 0;
    virtual void setPointerTool(PointerTool tool) = 0;
    virtual bool northUpLock() const = 0;
    virtual bool idleInactive() const = 0;      // "Idle Inactive"
    virtual bool idleNoChanging() const = 0;    // "Idle No Changing"
    virtual bool distanceToolActive() const = 0;

    // Application and window.
    virtual bool applicationActive() const = 0;
    virtual WindowMode windowMode() const = 0;
    // Replaces the window's region by these strips (transparent mode only;
    // the camera never calls it in the other modes or in the saver).
    virtual void setWindowRegion(std::span<const RegionRect> strips) = 0;
    // Called on every pointer move over the globe; the host may skip repeats.
    virtual void setPointerCursor(PointerCursor cursor) = 0;

    // The Save Location dialog: true (OK) with the entered name, false on Cancel.
    virtual bool askLocationName(std::string& name) = 0;
    // The Delete Location dialog over the camera's list; returns when closed.
    virtual void editLocations(SavedLocations& locations) = 0;
};

// Events the camera's input handling passes to the scene that owns it.
class CameraSceneHooks {
public:
    virtual ~CameraSceneHooks() = default;
    // A left button release with no drag and no pointer movement since the press.
    virtual void onGlobeClick() = 0;
    // The same for the right button: the scene opens its context menu.
    virtual void onGlobeContextMenu() = 0;
};

}  // namespace tnx::camera
