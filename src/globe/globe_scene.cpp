#include "globe/globe_scene.h"

#include <cmath>
#include <cstdio>

#include "core/process_state.h"
#include "globe/sky/day_night_lighting.h"
#include "globe/image/image_texture.h"
#include "globe/terrain/elevation_cache.h"
#include "geodata/pack_archive.h"

namespace tnx::globe {

using math::Matrix;
using math::Vec3;

namespace {

constexpr float kPi = math::kPi;
constexpr float kTwoPi = 2 * math::kPi;
constexpr float kMoonDistance = 3800.0f;
constexpr float kMoonRadius = 34.76f;
constexpr gfx::Color kDiscCentre = 0x7FFFA060;
constexpr gfx::Color kDiscRim = 0x0C3890B0;

// The Earth's shadow on the Moon: a centre and two rings of 32.
MeshData buildShadowDisc(float globeRadius) {
    MeshData m(gfx::kFvfPosDiffuse);
    m.addVertex({0, 0, 0}, {}, 0xD0000000, {});
    for (int ring = 0; ring < 2; ++ring) {
        float r = globeRadius * (ring == 0 ? 0.96f : 1.2f);
        gfx::Color c = ring == 0 ? 0xD0000000 : 0x00000000;
        for (int k = 0; k < 32; ++k) {
            float a = float(k) * kTwoPi / 32;
            m.addVertex({r * std::cos(a), r * std::sin(a), 0}, {}, c, {});
        }
    }
    auto& idx = m.indices();
    for (int k = 0; k < 32; ++k) {
        int n = (k + 1) % 32;
        idx.insert(idx.end(), {0, uint16_t(1 + n), uint16_t(1 + k)});
    }
    for (int k = 0; k < 32; ++k) {
        int n = (k + 1) % 32;
        uint16_t a = uint16_t(1 + k), b = uint16_t(1 + n), c = uint16_t(33 + k), d = uint16_t(33 + n);
        idx.insert(idx.end(), {a, b, c, b, d, c});
    }
    return m;
}

// A world matrix putting local z = 0 plane perpendicular to `toward` (unit),
// at `position`, with the plane's +z pointing along `toward`.
Matrix facing(const Vec3& toward, const Vec3& position, float scale = 1.0f) {
    Vec3 z = math::normalize(toward);
    Vec3 up = std::fabs(z.y) > 0.99f ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    Vec3 x = math::normalize(math::cross(up, z));
    Vec3 y = math::cross(z, x);
    Matrix m;
    m.m[0][0] = x.x * scale; m.m[0][1] = x.y * scale; m.m[0][2] = x.z * scale;
    m.m[1][0] = y.x * scale; m.m[1][1] = y.y * scale; m.m[1][2] = y.z * scale;
    m.m[2][0] = z.x * scale; m.m[2][1] = z.y * scale; m.m[2][2] = z.z * scale;
    m.m[3][0] = position.x; m.m[3][1] = position.y; m.m[3][2] = position.z;
    return m;
}

float wrapTurn(float a) {
    a = std::fmod(a, kTwoPi);
    if (a > kPi) a -= kTwoPi;
    return a;
}

}  // namespace

GlobeScene::GlobeScene(int /*patchCount*/, int /*subGridA*/, int /*subGridB*/, gfx::Device& device,
                       const GlobeConfiguration& config, float fieldOfView, camera::CameraHost& cameraHost,
                       const camera::ProjectionProvider& projection, camera::ViewFrustum& frustum,
                       GlobeSceneHost& host, SceneClock time)
    : device_(&device),
      config_(config),
      host_(host),
      frustum_(frustum),
      projectionProvider_(projection),
      fov_(fieldOfView),
      time_(std::move(time)),
      sun_(32, 16, 13900.0f),
      stars_(1e8f),
      atmosphere_(kRadius) {
    projection_ = projectionProvider_.projection(100.0f, 1e8f, fov_);
    distance_ = std::make_unique<geodata::DistanceTool>(kRadius);
    openTileFiles(tileFiles_);
    static bool toldNoLights = false;
    // Data without a night beside its day: the lights alone are missing.
    if (tileFiles_.texture.isOpen() && !tileFiles_.night.isOpen() && !toldNoLights) {
        toldNoLights = true;
        std::fprintf(stderr, "terranox: warning: no city lights: globenight11j90.tex is missing or damaged "
                             "(scripts/build-data.sh builds it)\n");
    }
    exaggeration_ = config_.unitsPerMetre();
    const gfx::Viewport& vp = device.viewport();
    viewportWidth_ = int(vp.width);
    viewportHeight_ = int(vp.height);
    camera::CameraSettings cs;
    cs.nearKm = float(config_.cameraNearKm);
    cs.farKm = float(config_.cameraFarKm);
    cs.program = config_.cameraProgram;
    cs.speed = float(config_.cameraSpeed);
    camera_ = std::make_unique<camera::Camera>(cs, viewportWidth_, viewportHeight_, fov_, cameraHost, projection, this);

    std::vector<uint8_t> starBytes;
    size_t starLength = 0;
    if (geodata::readDataFile("pack\\star.bin", starBytes, starLength) != 0)
        stars_.load(std::span<const uint8_t>(starBytes.data(), starLength));

    overlay_ = std::make_unique<geodata::GeoOverlay>(exaggeration_);

    terrain_ = std::make_unique<TerrainRenderer>(tileFiles_, app::processState().availableTextureMemory);
    terrain_->applySettings(terrainSettings(config_), kApplyColours);
    distance_->setTerrain({[this](float lon, float lat) {
                               ElevationCache* cache = terrain_ ? terrain_->elevationCache() : nullptr;
                               return cache ? cache->elevationAt(lon, lat) : 0.0f;
                           },
                           [this](float lon, float lat) { return surfaceHeight(lon, lat); }});

    // The boundaries lie on the relief, so they come after the terrain; the
    // zones link to the countries the overlay has loaded.
    boundaries_ = std::make_unique<geodata::BoundaryStore>();
    boundaries_->loadFile([this](float lon, float lat) { return surfaceHeight(lon, lat); });
    zones_ = std::make_unique<geodata::ZoneTree>();
    zones_->loadFile(overlay_->countries(), *boundaries_);
    overlay_->setGeography(boundaries_.get(), zones_.get());

    moon_ = buildSpherePatches(kMoonRadius, 1, 1, 16, gfx::kFvfPosNormalDiffuseTex1);
    setGraticuleColor(config_.graticuleColor, config_.graticuleOpacity);
    backingDisc_ = buildDisc(kRadius, 0.5f, 64);
    shadowDisc_ = buildShadowDisc(kRadius);
    applySettings(config_);

    advance(0.0f);
    camera_->resumeLastLocation();
}

GlobeScene::~GlobeScene() = default;

float GlobeScene::surfaceHeight(float longitude, float latitude) const {
    ElevationCache* cache = terrain_ ? terrain_->elevationCache() : nullptr;
    return cache ? cache->scaledElevationAt(longitude, latitude) : 0.0f;
}

void GlobeScene::setGraticuleColor(uint32_t colorRef, int opacity) {
    gfx::Color argb = colorRefToArgb(colorRef, uint32_t(std::clamp(opacity, 0, 255)));
    if (argb == graticuleColor_ && meridian_.vertexCount() > 0) return;
    graticuleColor_ = argb;
    graticuleColorRef_ = colorRef;
    meridian_ = buildMeridianBand(kRadius, 0.5f, 64, argb, gfx::kFvfPosNormalDiffuseTex1);
    meridianMirror_ = mirrored(meridian_);
    parallels_ = buildParallelBands(kRadius, 0.5f, kGraticuleSegments, kGraticuleRows, argb,
                                    gfx::kFvfPosNormalDiffuseTex1);
    parallelsMirror_ = mirrored(parallels_);
}

TerrainSettings GlobeScene::terrainSettings(const GlobeConfiguration& c) {
    TerrainSettings t;
    t.bandColours = c.bandColors;
    t.landOpacity = c.landOpacity;
    t.oceanOpacity = c.oceanOpacity;
    t.options = uint32_t(c.options);
    t.altitudeExaggeration = c.exaggeration;
    t.saturation = c.saturation;
    t.brightness = c.brightness;
    t.red = c.red;
    t.green = c.green;
    t.blue = c.blue;
    return t;
}

void GlobeScene::applySettings(const GlobeConfiguration& config) {
    bool coloursChanged = config.bandColors != config_.bandColors || config.options != config_.options ||
                          config.landOpacity != config_.landOpacity || config.oceanOpacity != config_.oceanOpacity;
    config_ = config;
    if (terrain_) terrain_->applySettings(terrainSettings(config), coloursChanged ? kApplyColours : 0);
    landOpacity_ = config.landOpacity;
    oceanOpacity_ = config.oceanOpacity;
    graticuleOpacity_ = config.graticuleOpacity;
    float exaggeration = config.unitsPerMetre();
    if (exaggeration != exaggeration_) {
        // Lines and markers follow the relief to its new height.
        exaggeration_ = exaggeration;
        if (overlay_) overlay_->setExaggeration(exaggeration_);
        if (boundaries_) boundaries_->relift([this](float lon, float lat) { return surfaceHeight(lon, lat); });
        if (distance_) distance_->recomputeAll();
    }
    setGraticuleColor(config.graticuleColor, config.graticuleOpacity);
    atmosphere_.setAppearance(colorRefToArgb(config.atmosphereColor, 0), config.atmosphereOpacity);
    atmosphere_.setExaggeration(exaggeration_);
}

void GlobeScene::release() {
    if (terrain_) terrain_->release();
    stars_.release();
    if (overlay_) overlay_->release();
    moonTexture_.reset();
    lineTexture_.reset();
    spaceTexture_.reset();
    starTexture_.reset();
}

void GlobeScene::restore(gfx::Device& device, float fieldOfView) {
    device_ = &device;
    fov_ = fieldOfView;
    projection_ = projectionProvider_.projection(100.0f, 1e8f, fov_);
    const gfx::Viewport& vp = device.viewport();
    viewportWidth_ = int(vp.width);
    viewportHeight_ = int(vp.height);
    sun_.setSunLight(device);
    ImageTexture images(device);
    spaceTexture_ = images.loadColourTexture("pack\\space.jpg", 1, gfx::Format::A8R8G8B8);
    starTexture_ = images.loadColourTexture("pack\\star.jpg", 1, gfx::Format::R5G6B5);
    stars_.restore(spaceTexture_.get(), starTexture_.get());
    overlay_->setPlaceTexture(images.loadAlphaTexture("pack\\place.jpg", 1, gfx::Format::A4R4G4B4, false));
    camera_->resize(viewportWidth_, viewportHeight_, fov_, device.presentParameters().pixelRatio);
    moonTexture_ = images.loadColourTexture("pack\\moon.jpg", 1, gfx::Format::R5G6B5);
    lineTexture_ = images.makeBandTexture(4);
    if (terrain_) terrain_->restore(device);
    device.setMaterial(sceneMaterial());
}

void GlobeScene::drawTerrain(gfx::Device& device) {
    using gfx::RenderState;
    int start = TerrainRenderer::detailStartLevel(terrain_->patchLevelCount(), cameraDistance_);
    device.setRenderState(RenderState::FillMode, view_.wireframe ? gfx::kFillWireframe : gfx::kFillSolid);
    device.setTexture(0, nullptr);
    device.setRenderState(RenderState::Lighting, lighting_ ? 1 : 0);
    device.setVertexShader(gfx::kFvfPosNormalDiffuseTex2);
    device.setTransform(gfx::TransformType::World, math::matrixRotationY(kPi - astro_.spinAngle));
    TerrainFrame frame{camera_->current().position, &frustum_, start};
    frame.sunDirection = sunDirection(astro_);
    // Lights belong to a night side: none while the globe is lit all round.
    if (lighting_ && view_.cityLights) frame.lightsBrightness = config_.cityLightsFactor();
    terrain_->draw(device, frame);
    device.setTexture(0, nullptr);
}

void GlobeScene::advance(float frameSeconds) {
    frameSeconds_ = frameSeconds;
    time_.advance(frameSeconds);
    computeAstronomy(time_.now(), astro_);
    // The Sun as the turning globe sees it (the terrain is turned by pi - spin).
    camera_->setSunInGlobe(math::transformNormal(sunDirection(astro_), math::matrixRotationY(astro_.spinAngle - kPi)));
    camera_->update(frameSeconds, astro_.spinAngle);
}

bool GlobeScene::globeOpaque() const {
    return cameraDistance_ >= kRadius && landOpacity_ >= 240 && oceanOpacity_ >= 240;
}

bool GlobeScene::eclipseVisible(float& hourAngle) const {
    float sum = astro_.moonDeclination + astro_.sunDeclination;
    if (!(sum > -0.18f && sum < 0.18f)) return false;
    float u = wrapTurn((kPi - astro_.moonHourAngle) + kPi);
    if (!(2 * u > -0.18f && 2 * u < 0.18f)) return false;
    hourAngle = astro_.moonHourAngle + 2 * u - kTwoPi;
    return true;
}

void GlobeScene::drawMesh(gfx::Device& device, const MeshData& mesh) {
    if (mesh.vertexCount() == 0) return;
    device.setVertexShader(mesh.fvf());
    device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, mesh.vertexCount(), mesh.triangleCount(),
                                  mesh.indices().data(), mesh.vertices(), mesh.stride());
}

void GlobeScene::drawMoon(gfx::Device& device) {
    float h = astro_.moonHourAngle, d = astro_.moonDeclination;
    Vec3 p{kMoonDistance * std::cos(d) * std::cos(h), kMoonDistance * std::sin(d), kMoonDistance * std::cos(d) * std::sin(h)};
    device.setTransform(gfx::TransformType::World, math::matrixRotationY(-h) * math::matrixTranslation(p.x, p.y, p.z));
    device.setTexture(0, moonTexture_.get());
    device.setRenderState(gfx::RenderState::Lighting, 1);
    drawMesh(device, moon_);
    device.setTexture(0, nullptr);
}

void GlobeScene::drawEclipseShadow(gfx::Device& device, float hourAngle) {
    float d = -astro_.sunDeclination;
    Vec3 p{kMoonDistance * std::cos(d) * std::cos(hourAngle), kMoonDistance * std::sin(d),
           kMoonDistance * std::cos(d) * std::sin(hourAngle)};
    device.setTransform(gfx::TransformType::World, facing(-p, p));
    device.setRenderState(gfx::RenderState::Lighting, 0);
    device.setRenderState(gfx::RenderState::CullMode, gfx::kCullNone);
    device.setTexture(0, nullptr);
    drawMesh(device, shadowDisc_);
    device.setRenderState(gfx::RenderState::CullMode, gfx::kCullCCW);
}

void GlobeScene::drawGraticule(gfx::Device& device, bool back) {
    device.setRenderState(gfx::RenderState::Lighting, lighting_ ? 1 : 0);
    device.setTexture(0, lineTexture_.get());
    const MeshData& meridian = back ? meridianMirror_ : meridian_;
    int copies = back ? 32 : 36;
    float step = back ? kPi / 16 : kPi / 18;
    for (int k = 0; k < copies; ++k) {
        device.setTransform(gfx::TransformType::World, math::matrixRotationY(-(float(k) * step + astro_.spinAngle)));
        drawMesh(device, meridian);
    }
    device.setTransform(gfx::TransformType::World, Matrix{});
    drawMesh(device, back ? parallelsMirror_ : parallels_);
    device.setTexture(0, nullptr);
}

void GlobeScene::drawBackingDisc(gfx::Device& device) {
    Vec3 cam = camera_->current().position;
    float d = math::length(cam);
    if (d <= kRadius) return;
    float scale = d / std::sqrt(d * d - kRadius * kRadius);
    // The disc's front faces the camera, so it lies across the globe's
    // silhouette as seen from there.
    device.setTransform(gfx::TransformType::World, facing(cam / d, {0, 0, 0}, scale));
    device.setRenderState(gfx::RenderState::Lighting, 0);
    device.setRenderState(gfx::RenderState::CullMode, gfx::kCullNone);
    device.setTexture(0, nullptr);
    if (host_.windowMode() == camera::WindowMode::Transparent && host_.transparentBackground() == 3) {
        MeshData opaque = backingDisc_;
        for (uint32_t i = 0; i < opaque.vertexCount(); ++i) opaque.setDiffuse(i, opaque.diffuse(i) | 0xFF000000u);
        drawMesh(device, opaque);
    } else {
        drawMesh(device, backingDisc_);
    }
    device.setRenderState(gfx::RenderState::CullMode, gfx::kCullCCW);
}

void GlobeScene::draw(gfx::Device& device) {
    using gfx::RenderState;
    lighting_ = view_.dayNight;
    device.setTransform(gfx::TransformType::Projection, projection_);
    Vec3 cam = camera_->current().position;
    cameraDistance_ = math::length(cam);

    device.setTransform(gfx::TransformType::View, camera_->viewMatrix());
    frustum_.setView(camera_->viewMatrix());
    device.setRenderState(RenderState::ZEnable, 0);

    if (camera_->lastPointerX() >= 0) pointer_ = camera::pickGlobe(cam, camera_->pointerRay(), kRadius, astro_.spinAngle);
    else pointer_ = camera::GlobePick{};
    if (pointer_.hit) {
        lastGlobePoint_.longitude = pointer_.longitude;
        lastGlobePoint_.latitude = pointer_.latitude;
    }

    bool transparent = host_.windowMode() == camera::WindowMode::Transparent;
    if (view_.stars && (!transparent || host_.transparentBackground() == 2)) {
        auto inView = [this](const Vec3& c, float r) {
            switch (frustum_.testSphere(c, r)) {
                case camera::FrustumTest::Outside: return SphereVisibility::Outside;
                case camera::FrustumTest::Inside: return SphereVisibility::Inside;
                default: return SphereVisibility::Partial;
            }
        };
        stars_.draw(device, astro_.sunRightAscension, inView, eyeFocalLength());
    }
    sun_.draw(device, kPi, astro_.sunDeclination, SunDisc::kDefaultDistance);
    drawMoon(device);
    float shadowHour;
    if (eclipseVisible(shadowHour)) drawEclipseShadow(device, shadowHour);

    // The globe's own projection: tight around it, finer near the surface.
    float farPlane = (cameraDistance_ + kRadius) * 1.1f;
    float nearPlane = cameraDistance_ < 1.2f * kRadius ? farPlane * 0.0001f : 1.0f;
    device.setTransform(gfx::TransformType::Projection, projectionProvider_.projection(nearPlane, farPlane, fov_));

    bool opaque = globeOpaque();
    // Shown on request even where the configuration keeps it invisible.
    const int graticuleOpacity = view_.graticule == 0 ? 0 : view_.graticule == 1 ? std::max(graticuleOpacity_, 160)
                                                                                   : graticuleOpacity_;
    setGraticuleColor(graticuleColorRef_, graticuleOpacity);
    if (!opaque && graticuleOpacity > 15) drawGraticule(device, true);
    if (!opaque || exaggeration_ > 0.0001f) drawBackingDisc(device);
    if (view_.atmosphere) atmosphere_.draw(device, cam, sunDirection(astro_), lighting_);

    device.setRenderState(RenderState::ZEnable, 1);
    device.setMaterial(sceneMaterial());
    if (terrain_) drawTerrain(device);

    device.setRenderState(RenderState::FillMode, gfx::kFillSolid);
    device.setRenderState(RenderState::Lighting, 0);
    device.setTransform(gfx::TransformType::World, math::matrixRotationY(-astro_.spinAngle));
    device.setVertexShader(gfx::kFvfPosDiffuse);
    device.setTexture(0, nullptr);
    device.setRenderState(RenderState::ZBias, 1);
    boundaries_->drawOverlay(device, view_.boundaries, view_.rivers);
    device.setRenderState(RenderState::ZBias, 0);
    device.setRenderState(RenderState::ZEnable, 0);
    device.setRenderState(RenderState::Lighting, lighting_ ? 1 : 0);

    if (graticuleOpacity > 15) drawGraticule(device, false);

    device.setRenderState(RenderState::Lighting, 0);
    device.setTransform(gfx::TransformType::World, math::matrixRotationY(-astro_.spinAngle));
    geodata::OverlayFrame overlay;
    overlay.cameraPosition = cam;
    overlay.spin = astro_.spinAngle;
    overlay.focalLength = eyeFocalLength();
    overlay.frameSeconds = frameSeconds_;
    overlay.pointerOnGlobe = pointer_.hit;
    overlay.pointerLongitude = pointer_.longitude;
    overlay.pointerLatitude = pointer_.latitude;
    overlay.showCities = view_.cities;
    overlay.metricUnits = view_.metricUnits;
    if (pointer_.hit && terrain_ && terrain_->elevationCache())
        overlay.pointerElevation = terrain_->elevationCache()->elevationAt(pointer_.longitude, pointer_.latitude);
    overlay_->draw(device, overlay);

    geodata::DistanceFrame distance;
    distance.cameraDistance = cameraDistance_;
    distance.spin = astro_.spinAngle;
    distance.pointerOnGlobe = pointer_.hit && view_.distanceTool;
    distance.pointerLongitude = pointer_.longitude;
    distance.pointerLatitude = pointer_.latitude;
    distance.metric = view_.metricUnits;
    distance.lineTexture = lineTexture_.get();
    distance_->draw(device, distance);
    device.setTexture(0, nullptr);
}

int GlobeScene::handleMessage(const win::Message& m) {
    if (m.id == win::kWmCommand) onCommand(win::loWord(m.wParam));
    if (m.id == win::kWmKeyDown) {
        switch (m.wParam) {
            case 'M': view_.wireframe = !view_.wireframe; break;
            case win::kVkOem4: time_.halveRate(); break;
            case win::kVkOem6: time_.doubleRate(); break;
            case win::kVkOem5: time_.returnToNow(); break;
            default: break;
        }
        if (m.wParam == win::kVkOem4 || m.wParam == win::kVkOem6 || m.wParam == win::kVkOem5)
            app::processState().forceRedraw = true;
    }
    return camera_->handleMessage(m);
}

void GlobeScene::onCommand(uint32_t id) {
    switch (id) {
        case kCmdHideToolBars: view_.toolBars = false; break;
        case kCmdShowToolBars: view_.toolBars = true; break;
        case kCmdUnselectAll:
            overlay_->clearAll();
            distance_->clear();
            app::processState().forceRedraw = true;
            break;
        case kCmdEditSite:
        case kCmdAddSite:
        case kCmdDeleteSite: {
            geodata::SitePoint at = lastGlobePoint_;
            ElevationCache* cache = terrain_ ? terrain_->elevationCache() : nullptr;
            at.elevationMetres = cache ? cache->elevationAt(at.longitude, at.latitude) : 0.0f;
            int which = id == kCmdEditSite ? geodata::GeoOverlay::kSiteEdit
                        : id == kCmdAddSite ? geodata::GeoOverlay::kSiteAdd
                                            : geodata::GeoOverlay::kSiteDelete;
            if (overlay_->siteCommand(which, at)) app::processState().forceRedraw = true;
            break;
        }
        case kCmdImportSites:
            if (overlay_->importSitesCommand([this](float lon, float lat) {
                    ElevationCache* cache = terrain_ ? terrain_->elevationCache() : nullptr;
                    return cache ? cache->elevationAt(lon, lat) : 0.0f;
                }))
                app::processState().forceRedraw = true;
            break;
        case kCmdExportSites: overlay_->exportSitesCommand(); break;
        case kCmdButtonMenu: contextMenu(); break;
        default: break;
    }
}

void GlobeScene::onClick() {
    // With the distance tool on, clicks are measurement points; otherwise
    // they pick cities and countries.
    if (view_.distanceTool) {
        if (!pointer_.hit) return;
        distance_->addPoint(pointer_.longitude, pointer_.latitude);
    } else {
        overlay_->click();  // a star comes or goes, an outline changes
    }
    app::processState().forceRedraw = true;
}

void GlobeScene::onGlobeContextMenu() {
    if (view_.distanceTool && distance_->cancelPendingPoint()) {
        app::processState().forceRedraw = true;
        return;
    }
    contextMenu();
}

win::Menu GlobeScene::buildContextMenu() const {
    win::Menu m;
    m.appendCommand(40023, "Show Tool Bars");
    m.appendCommand(40020, "Hide Tool Bars");
    m.appendCommand(40021, "Unselect And Clear All");
    m.appendSeparator();
    m.appendCommand(40028, "Windowed");
    m.appendCommand(40029, "Transparent");
    m.appendCommand(40030, "Full Screen");
    m.appendCommand(40050, "Always On Top");
    m.appendSeparator();
    auto locations = m.appendPopup("Locations");
    locations->appendCommand(40040, "Save Location");
    locations->appendCommand(40041, "Delete Location");
    camera_->fillLocationsMenu(*locations);
    auto tools = m.appendPopup("Tools");
    tools->appendCommand(40043, "Rotate Globe");
    tools->appendCommand(40042, "Move Globe (Left Drag)");
    tools->appendCommand(40044, "Zoom Globe (Left Right Drag Together)");
    tools->appendCommand(40045, "Distance");
    tools->appendSeparator();
    tools->appendCommand(40046, "Center Globe (C)");
    tools->appendCommand(40047, "North Up Globe (U)");
    tools->appendCommand(40052, "North Up Lock");
    auto view = m.appendPopup("View");
    view->appendCommand(40034, "Show Boundary");
    view->appendCommand(40035, "Show City");
    view->appendCommand(40039, "Day/Night Toggle");
    view->appendCommand(40037, "City Browser");
    view->appendCommand(40038, "Country Entity Browser");
    view->appendCommand(40036, "Country Entity Overview");
    view->appendCommand(40049, "Floating Status Messages");
    view->appendCommand(40048, "Readme.txt");
    view->appendCommand(1092, "Metric Units(m, km)");
    m.appendSeparator();
    m.appendCommand(40024, "Options");
    auto edit = m.appendPopup("Edit");
    edit->appendCommand(40055, "Add New Site");
    edit->appendCommand(kCmdImportSites, "Import Sites…");
    edit->appendCommand(kCmdExportSites, "Export Sites…");
    overlay_->appendSiteItems(*edit);
    m.appendSeparator();
    m.appendCommand(40032, "Exit");

    bool transparent = host_.windowMode() == camera::WindowMode::Transparent;
    if (transparent) {
        m.grey(40023, true);
        m.check(40020, true);
    } else {
        m.check(view_.toolBars ? 40023 : 40020, true);
    }
    m.check(40028 + uint32_t(host_.windowMode()) - 1, true);
    m.check(40050, host_.alwaysOnTop());
    m.check(40039, view_.dayNight);
    m.check(40034, view_.boundaries);
    m.check(40035, view_.cities);
    return m;
}

void GlobeScene::contextMenu() {
    overlay_->captureMenuTarget();
    if (host_.windowMode() == camera::WindowMode::Transparent) view_.toolBars = false;
    host_.trackContextMenu(buildContextMenu());
}

size_t GlobeScene::writeRecord(std::vector<uint8_t>& out) {
    settings::RecordWriter w(out, "savecglobe");
    w.child(overlay_.get());
    w.child(distance_.get());
    return w.finish();
}

int GlobeScene::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    int r = settings::openRecord(record, "savecglobe", view);
    if (r != settings::kRecordApplied) return r;
    // Children by position: the cities first, then the distance tool.
    settings::ChildRecords children(view.body);
    if (auto child = children.next()) {
        overlay_->readRecord(*child);
        if (auto second = children.next()) distance_->readRecord(*second);
    }
    return children.overrun() ? settings::kRecordOverrun : settings::kRecordApplied;
}

}  // namespace tnx::globe
