// The globe scene as the viewer core's scene part: it builds the scene and
// its camera, and gives them the window, the option block, the dialogs and
// the framework's projection they ask for.
#pragma once

#include <memory>
#include <optional>

#include "app/command_line.h"
#include "app/viewer_part.h"
#include "camera/camera_host.h"
#include "camera/projection_provider.h"
#include "camera/view_frustum.h"
#include "geodata/site_dialog.h"
#include "geodata/site_file_dialog.h"
#include "globe/globe_scene.h"

namespace tnx::app {

class SaverFramework;
struct LaunchOptions;

class GlobeView : public ViewerPart,
                  public camera::CameraHost,
                  public camera::ProjectionProvider,
                  public globe::GlobeSceneHost {
public:
    GlobeView(gfx::Device& device, float fov, SaverFramework& framework, const LaunchOptions& launch);
    ~GlobeView() override;

    globe::GlobeScene& scene() { return *scene_; }
    const camera::ViewFrustum& frustum() const { return frustum_; }

    // ViewerPart
    void restore(gfx::Device& device, float fieldOfView) override;
    void invalidate() override;
    void advance(float seconds) override;
    void draw(gfx::Device& device, float seconds) override;
    bool handleMouse(const win::Message& m, bool& holdsDrag) override;
    void handleMessage(const win::Message& m) override;
    settings::RecordOwner* recordOwner() override { return scene_.get(); }

    // CameraHost
    camera::PointerTool pointerTool() const override;
    void setPointerTool(camera::PointerTool tool) override;
    bool northUpLock() const override;
    bool idleInactive() const override;
    bool idleNoChanging() const override;
    bool distanceToolActive() const override;
    bool applicationActive() const override;
    camera::WindowMode windowMode() const override;
    void setWindowRegion(std::span<const camera::RegionRect> strips) override;
    void setPointerCursor(camera::PointerCursor cursor) override;
    bool askLocationName(std::string& name) override;
    void editLocations(camera::SavedLocations& locations) override;

    // ProjectionProvider
    camera::ProjectionGeometry projectionGeometry() const override;

    // GlobeSceneHost
    bool alwaysOnTop() const override;
    void trackContextMenu(const win::Menu& menu) override;

    // Shows a configuration on the globe from the next frame on (the
    // configuration dialogs' live preview).
    void preview(const globe::GlobeConfiguration& config);

    // The sky's clock the command line and the saver's settings ask for.
    static globe::SceneClock sceneClockFor(const LaunchOptions& launch, double saverTimeLapse);

private:
    void syncViewOptions();
    bool handleOptionCommand(uint32_t id);
    void openOptions();
    // The first run: the user's region faces them, the globe large in view.
    void placeAtHome(int width, int height, float fov);

    SaverFramework& framework_;
    camera::ViewFrustum frustum_;
    std::unique_ptr<globe::GlobeScene> scene_;
    geodata::DialogSiteEditor siteEditor_;
    geodata::DialogSiteFiles siteFiles_;
    camera::PointerCursor lastCursor_ = camera::PointerCursor::None;
    std::optional<globe::GlobeConfiguration> pendingLook_;
    LayerChoices layers_;  // --hide and --show
};

}  // namespace tnx::app
