// A scriptable host and scene for driving the camera without a window.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "camera/camera.h"
#include "camera/saved_locations.h"

namespace tnx::camera::test {

struct FakeHost : CameraHost {
    PointerTool tool = PointerTool::Rotate;
    bool lock = false;
    bool inactiveIdle = false;
    bool noChangingIdle = false;
    bool distance = false;
    bool active = true;
    WindowMode mode = WindowMode::Windowed;
    int regionCalls = 0;
    std::vector<RegionRect> region;
    PointerCursor cursor = PointerCursor::None;
    std::optional<std::string> nameToEnter;  // nullopt: Cancel
    int deleteIndex = -1;                     // entry the Delete dialog removes
    int editCalls = 0;

    PointerTool pointerTool() const override { return tool; }
    void setPointerTool(PointerTool t) override { tool = t; }
    bool northUpLock() const override { return lock; }
    bool idleInactive() const override { return inactiveIdle; }
    bool idleNoChanging() const override { return noChangingIdle; }
    bool distanceToolActive() const override { return distance; }
    bool applicationActive() const override { return active; }
    WindowMode windowMode() const override { return mode; }
    void setWindowRegion(std::span<const RegionRect> strips) override {
        ++regionCalls;
        region.assign(strips.begin(), strips.end());
    }
    void setPointerCursor(PointerCursor c) override { cursor = c; }
    bool askLocationName(std::string& name) override {
        if (!nameToEnter) return false;
        name = *nameToEnter;
        return true;
    }
    void editLocations(SavedLocations& locations) override {
        ++editCalls;
        if (deleteIndex >= 0) locations.remove(size_t(deleteIndex));
    }
};

struct FakeScene : CameraSceneHooks {
    int clicks = 0;
    int menus = 0;
    void onGlobeClick() override { ++clicks; }
    void onGlobeContextMenu() override { ++menus; }
};

inline win::Message mouse(uint32_t id, int x, int y, win::WParam keys = 0) {
    return {0, id, keys, win::makeLParam(x, y)};
}
inline win::Message keyUp(uint32_t key) { return {0, win::kWmKeyUp, key, 0}; }
inline win::Message command(uint32_t id) { return {0, win::kWmCommand, id, 0}; }

}  // namespace tnx::camera::test
