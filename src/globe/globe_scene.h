// The globe scene: owns the camera, the Sun, the sky, the Moon, the
// graticule, the backing disc, the atmosphere, the terrain, the boundaries
// and zones, the geography overlay and the distance tool, advances them each
// frame and draws them in a fixed order.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "camera/camera.h"
#include "camera/globe_pick.h"
#include "camera/view_frustum.h"
#include "geodata/boundary_store.h"
#include "geodata/distance_tool.h"
#include "geodata/geo_overlay.h"
#include "geodata/zone_tree.h"
#include "globe/sky/astro_clock.h"
#include "globe/sky/scene_clock.h"
#include "globe/sky/atmosphere.h"
#include "globe/globe_configuration.h"
#include "globe/sky/scene_astronomy.h"
#include "globe/sphere_mesh.h"
#include "globe/sky/star_field.h"
#include "globe/sky/sun_disc.h"
#include "globe/terrain/terrain_renderer.h"
#include "globe/terrain/tile_file.h"
#include "platform/gfx/device.h"
#include "platform/win/popup_menu.h"
#include "settings/preserved_record.h"
#include "settings/record.h"

namespace tnx::globe {

// Command identifiers the scene acts on.
enum SceneCommand : uint32_t {
    kCmdHideToolBars = 40020,
    kCmdUnselectAll = 40021,
    kCmdShowToolBars = 40023,
    kCmdEditSite = 40054,
    kCmdAddSite = 40055,
    kCmdDeleteSite = 40056,
    kCmdImportSites = 40057,
    kCmdExportSites = 40058,
    kCmdButtonMenu = 40060,
};

// What the scene needs from the window around it.
class GlobeSceneHost {
public:
    virtual ~GlobeSceneHost() = default;
    virtual camera::WindowMode windowMode() const = 0;
    // Background choice in transparent mode (2 draws the sky; 3 makes the
    // backing disc opaque).
    virtual int transparentBackground() const { return 2; }
    virtual bool alwaysOnTop() const = 0;
    // Shows the context menu at the pointer; the chosen command is posted.
    virtual void trackContextMenu(const win::Menu& menu) = 0;
};

// The view options the scene reads each frame (the HUD's option block).
struct SceneViewOptions {
    bool dayNight = true;
    bool atmosphere = true;
    bool wireframe = false;
    bool toolBars = true;
    bool boundaries = true;
    bool rivers = true;
    bool cities = true;
    bool distanceTool = false;
    bool metricUnits = true;
    bool cityLights = true;
    bool stars = true;   // the star field and the space backdrop
    int graticule = -1;  // -1 as the configuration's opacity has it, 0 hidden, 1 shown
};

class GlobeScene : public camera::CameraSceneHooks, public settings::RecordOwner {
public:
    static constexpr float kRadius = 63.71f;

    GlobeScene(int patchCount, int subGridA, int subGridB, gfx::Device& device, const GlobeConfiguration& config,
               float fieldOfView, camera::CameraHost& cameraHost, const camera::ProjectionProvider& projection,
               camera::ViewFrustum& frustum, GlobeSceneHost& host, SceneClock time = {});
    ~GlobeScene() override;

    void release();
    // Rebuilds the device resources; the viewport and the field of view may
    // have changed with the device.
    void restore(gfx::Device& device, float fieldOfView);
    // The same with the field of view the scene was built with.
    void restore(gfx::Device& device) { restore(device, fov_); }
    void advance(float frameSeconds);
    void draw(gfx::Device& device);
    void applySettings(const GlobeConfiguration& config);
    void onCommand(uint32_t id);
    void onClick();
    void contextMenu();
    // Navigation input: returns the camera's answer (non-zero for a mouse
    // message means the scene holds a drag).
    int handleMessage(const win::Message& m);
    // Builds the context menu as it would be shown now.
    win::Menu buildContextMenu() const;

    // The texture font the distance labels are laid out with.
    void setFont(const text::TextureFont* font) { distance_->setFont(font); }

    // CameraSceneHooks
    void onGlobeClick() override { onClick(); }
    // A right click on the globe: it drops a pending distance point, or
    // opens the menu.
    void onGlobeContextMenu() override;

    // The "savecglobe" record.
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

    camera::Camera& camera() { return *camera_; }
    SceneViewOptions& viewOptions() { return view_; }
    const SceneAstronomy& astronomy() const { return astro_; }
    const camera::GlobePick& pointerPoint() const { return pointer_; }
    float cameraDistance() const { return cameraDistance_; }
    bool globeOpaque() const;
    bool eclipseVisible(float& hourAngle) const;
    gfx::Texture* moonTexture() const { return moonTexture_.get(); }
    TerrainRenderer* terrain() const { return terrain_.get(); }
    geodata::GeoOverlay& overlay() { return *overlay_; }
    geodata::DistanceTool& distanceTool() { return *distance_; }
    const geodata::BoundaryStore& boundaries() const { return *boundaries_; }
    const geodata::ZoneTree& zones() const { return *zones_; }
    // The instant the sky shows; "[" halves its rate, "]" doubles it and
    // "\\" returns it to real time now.
    SceneClock& time() { return time_; }

private:
    void drawMesh(gfx::Device& device, const MeshData& mesh);
    void drawMoon(gfx::Device& device);
    void drawEclipseShadow(gfx::Device& device, float hourAngle);
    void drawGraticule(gfx::Device& device, bool back);
    void drawBackingDisc(gfx::Device& device);
    void setGraticuleColor(uint32_t colorRef, int opacity);
    void drawTerrain(gfx::Device& device);
    // The camera's focal length in pixels of an unscaled desktop: the
    // smallest markers and stars keep their size on a scaled one.
    float eyeFocalLength() const { return camera_->focalLength() / camera_->pixelRatio(); }
    // Scene units above the globe's radius at a point: the terrain's.
    float surfaceHeight(float longitude, float latitude) const;
    static TerrainSettings terrainSettings(const GlobeConfiguration& config);

    gfx::Device* device_;
    GlobeConfiguration config_;
    GlobeSceneHost& host_;
    camera::ViewFrustum& frustum_;
    const camera::ProjectionProvider& projectionProvider_;
    float fov_;
    math::Matrix projection_;
    int viewportWidth_ = 0, viewportHeight_ = 0;
    bool lighting_ = true;
    int landOpacity_ = 255, oceanOpacity_ = 255, graticuleOpacity_ = 0;
    float exaggeration_ = 0.00001f;
    float cameraDistance_ = 0;
    float frameSeconds_ = 0;
    camera::GlobePick pointer_;
    geodata::SitePoint lastGlobePoint_;  // the last point the pointer had on the globe
    SceneClock time_;
    SceneAstronomy astro_;
    SceneViewOptions view_;
    gfx::Color graticuleColor_ = 0;
    uint32_t graticuleColorRef_ = 0xFFFFFFFF;

    std::unique_ptr<geodata::DistanceTool> distance_;
    std::unique_ptr<camera::Camera> camera_;
    // The tile files outlive the terrain renderer that reads them.
    TileFileSet tileFiles_;
    std::unique_ptr<TerrainRenderer> terrain_;
    std::unique_ptr<geodata::GeoOverlay> overlay_;
    std::unique_ptr<geodata::BoundaryStore> boundaries_;
    std::unique_ptr<geodata::ZoneTree> zones_;
    SunDisc sun_;
    StarField stars_;
    Atmosphere atmosphere_;
    MeshData moon_, meridian_, meridianMirror_, parallels_, parallelsMirror_, backingDisc_, shadowDisc_;
    std::unique_ptr<gfx::Texture> moonTexture_, lineTexture_, spaceTexture_, starTexture_;
    static constexpr int kGraticuleRows = 18;
    static constexpr int kGraticuleSegments = 128;
};

}  // namespace tnx::globe
