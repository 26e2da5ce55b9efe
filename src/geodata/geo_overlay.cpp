#include "geodata/geo_overlay.h"

#include <cmath>
#include <cstdio>

#include "core/process_state.h"
#include "geodata/boundary_store.h"
#include "geodata/site_exchange/site_file.h"
#include "geodata/zone_tree.h"
#include "platform/text/text_encoding.h"

namespace tnx::geodata {

using math::Matrix;

GeoOverlay::GeoOverlay(float exaggeration, bool loadData) : exaggeration_(exaggeration) {
    // A four-pointed star in the plane x = 0 around its centre.
    star_[0] = {0, 0, 0, 0xFFFFC0C0, 0.5f, 0.5f};
    for (int k = 0; k <= 8; ++k) {
        float a = float(k) * math::kPi / 4;
        float r = k % 2 == 0 ? 10.0f : 2.0f;
        star_[size_t(k + 1)] = {0, r * std::sin(a), -r * std::cos(a), 0xFFFFC0C0, 0.5f + std::cos(a) / 2,
                                (std::sin(a) + 1) / 2};
    }
    if (loadData) {
        countries_.loadFile();
        cities_.loadFile(countries_);
        sites_.loadFile();
    }
    // The user's own sites join the city table before the markers and the
    // grid are built.
    applyUserSites();
    cities_.fillCapitalLinks(countries_);
    if (loadData) infoTexts_.setUp(countries_);
}

GeoOverlay::~GeoOverlay() {
    if (sitesUnsaved_ && app::maySaveSettingsFiles()) sites_.saveFile();
}

void GeoOverlay::applyUserSites() {
    sites_.apply(cities_, countries_.count());
    rebuildCities();
}

void GeoOverlay::captureMenuTarget() {
    menuCity_ = selection_.hoveredCity;
    menuCountry_ = selection_.hoveredCountry;
}

int GeoOverlay::menuCity() const { return menuCity_ >= 0 ? menuCity_ : selection_.hoveredCity; }

void GeoOverlay::appendSiteItems(win::Menu& edit) const {
    const int h = selection_.hoveredCity;
    if (!cities_.isCity(h)) return;
    const std::string name = text::windows1252ToUtf8(cities_[h].nameText());
    edit.appendCommand(kCmdEditSite, "Edit " + name);
    if (((cities_[h].kind >> 8) & 0xFF) == UserSiteStore::kAdded) edit.appendCommand(kCmdDeleteSite, "Delete " + name);
}

int GeoOverlay::siteCommand(int which, const SitePoint& at) {
    const int h = menuCity();
    const int country = menuCity_ >= 0 ? menuCountry_ : selection_.hoveredCountry;
    menuCity_ = -1;
    if (!editor_) return 0;
    auto setState = [](CityRecord& c, int state) { c.kind = (c.kind & ~0xFF00) | (state << 8); };
    switch (which) {
        case kSiteEdit: {
            if (!cities_.isCity(h)) return 0;
            CityRecord copy = cities_[h];
            if (((copy.kind >> 8) & 0xFF) != UserSiteStore::kAdded) setState(copy, UserSiteStore::kEdited);
            if (!sites_.editSite(h, copy, *editor_)) return 0;
            cities_.replace(h, copy);
            citiesChanged(0);
            return 1;
        }
        case kSiteAdd: {
            CityRecord site;
            copyField(site.name, "newsite");
            site.kind = 0x201;
            site.longitude = at.longitude;
            site.latitude = at.latitude;
            site.altitude = at.elevationMetres;
            site.country = countries_.isCountry(country) ? country : countries_.find("world");
            if (!sites_.editSite(cities_.count(), site, *editor_)) return 0;
            cities_.append(site);
            citiesChanged(0);
            return 1;
        }
        case kSiteDelete: {
            if (!cities_.isCity(h) || ((cities_[h].kind >> 8) & 0xFF) != UserSiteStore::kAdded) return 0;
            if (!sites_.deleteSite(h, cities_[h].nameText(), *editor_)) return 0;
            cities_.remove(h);
            citiesChanged(h);
            return 1;
        }
        default: return 0;
    }
}

SiteImportReport GeoOverlay::importPlaces(const PlaceList& places, const std::string& file, const std::string& stem,
                                          const GroundHeight& ground) {
    SiteSurroundings around;
    if (zones_)
        around.countryAt = [this](float lon, float lat) {
            int country = 0;
            zones_->hitTestRadians(lon, lat, &country);
            return country;
        };
    around.groundAt = ground;
    around.countryCount = countries_.count();
    const int world = countries_.find("world");
    around.worldCountry = countries_.isCountry(world) ? world : 0;
    SiteImportReport report = SiteTransfer::importPlaces(places, file, stem, cities_, sites_, around);
    if (report.imported > 0) citiesChanged(0);
    return report;
}

int GeoOverlay::importSitesCommand(const GroundHeight& ground) {
    if (!fileUi_) return 0;
    std::optional<SiteFileUi::ImportChoice> choice = fileUi_->chooseImportFile();
    if (!choice) return 0;
    const std::filesystem::path path(choice->path);
    fileUi_->busy(true);
    const SiteImportReport report = importPlaces(SiteFile::read(path, choice->routePoints),
                                                 path.filename().string(), path.stem().string(), ground);
    fileUi_->busy(false);
    fileUi_->showImportReport(report);
    return report.imported > 0 ? 1 : 0;
}

void GeoOverlay::exportSitesCommand() {
    if (!fileUi_) return;
    const std::vector<SitePlace> places = SiteTransfer::ownSites(sites_);
    if (places.empty()) {
        fileUi_->showExportResult(
            "You have no sites of your own to export yet. \"Add New Site\" and \"Import Sites…\" add them.", false);
        return;
    }
    std::optional<std::string> path = fileUi_->chooseExportFile();
    if (!path) return;
    std::string error;
    const std::string file = std::filesystem::path(*path).filename().string();
    if (SiteFile::write(*path, places, error))
        fileUi_->showExportResult(
            "Exported " + std::to_string(places.size()) + (places.size() == 1 ? " site" : " sites") + " to " + file + ".",
            false);
    else
        fileUi_->showExportResult("The sites could not be exported to " + file + ": " + error + ".", true);
}

void GeoOverlay::citiesChanged(int removedCity) {
    if (removedCity > 0) {
        // Later cities moved down by one: so do the marks and links to them.
        selection_.cityRemoved(removedCity);
        for (int k = 1; k < countries_.count(); ++k) {
            int capital = countries_.get(k)->capitalCity;
            if (capital == removedCity) countries_.setCapitalCity(k, 0);
            else if (capital > removedCity) countries_.setCapitalCity(k, capital - 1);
        }
    }
    rebuildCities();
    sitesUnsaved_ = true;
    if (app::maySaveSettingsFiles() && sites_.saveFile()) sitesUnsaved_ = false;
    if (citiesChanged_) citiesChanged_();
}

void GeoOverlay::setGeography(const BoundaryStore* boundaries, const ZoneTree* zones) {
    boundaries_ = boundaries;
    zones_ = zones;
}

void GeoOverlay::rebuildCities() {
    cities_.computeMarkers(exaggeration_);
    grid_.build(cities_);
}

void GeoOverlay::setExaggeration(float exaggeration) {
    if (exaggeration == exaggeration_) return;
    exaggeration_ = exaggeration;
    cities_.computeMarkers(exaggeration_);  // positions only: the grid stays
}

void GeoOverlay::setPlaceTexture(std::unique_ptr<gfx::Texture> texture) { placeTexture_ = std::move(texture); }

void GeoOverlay::release() { placeTexture_.reset(); }

void GeoOverlay::hover(bool onGlobe, float longitude, float latitude, float altitude) {
    selection_.hoveredCity = 0;
    selection_.hoveredCountry = 0;
    if (!onGlobe) return;
    const float dLat = (altitude + 1.0f) * 9e-5f;
    const float dLon = dLat / (std::cos(latitude) + 1e-6f);
    auto near = [&](int32_t id) {
        const CityRecord& c = cities_[id];
        return std::fabs(longitude - c.longitude) < dLon && std::fabs(latitude - c.latitude) < dLat;
    };
    for (const MarkedCity& m : selection_.marked())
        if (cities_.isCity(m.city) && near(m.city)) {
            selection_.hoveredCity = m.city;
            break;
        }
    if (selection_.hoveredCity == 0)
        for (int32_t id : grid_.cell(CityGrid::cellIndex(longitude, latitude)).cities)
            if (near(id)) {
                selection_.hoveredCity = id;
                break;
            }
    if (selection_.hoveredCity != 0) {
        selection_.hoveredCountry = cities_[selection_.hoveredCity].country;
    } else if (zones_) {
        int country = 0;
        zones_->hitTestRadians(longitude, latitude, &country);
        selection_.hoveredCountry = country;
    }
}

void GeoOverlay::click() {
    const int city = selection_.hoveredCity, country = selection_.hoveredCountry;
    const bool countryClick = city == 0 && countries_.isCountry(country);
    const bool wasMarked = selection_.markedPosition(city) >= 0;
    selection_.click(countries_.count());
    if (countryClick) infoTexts_.showOverview(country, countries_);
    if (!browsers_) return;
    // A city that becomes marked, or a country picked, shows in the browsers.
    if (city != 0) {
        if (!wasMarked && cities_.isCity(city)) browsers_->cityClicked(city);
    } else if (countries_.isCountry(country)) {
        browsers_->countryClicked(country);
    }
}

void GeoOverlay::clearAll() {
    // Clearing ends with the hover handled as a click, overview included.
    const int city = selection_.hoveredCity, country = selection_.hoveredCountry;
    const bool countryClick = city == 0 && countries_.isCountry(country);
    selection_.clear(countries_.count());
    if (countryClick) infoTexts_.showOverview(country, countries_);
    if (!browsers_) return;
    browsers_->selectionCleared();
    if (city != 0 && cities_.isCity(city)) browsers_->cityClicked(city);
    else if (countryClick) browsers_->countryClicked(country);
}

void GeoOverlay::draw(gfx::Device& device, const OverlayFrame& frame) {
    time_ += frame.frameSeconds;
    selection_.spin(frame.frameSeconds);
    const Matrix spin = math::matrixRotationY(-frame.spin);
    // The camera in the globe's own frame, where cities and cells lie.
    const math::Vec3 camera = math::transformCoord(frame.cameraPosition, math::matrixRotationY(frame.spin));
    hover(frame.pointerOnGlobe, frame.pointerLongitude, frame.pointerLatitude,
          math::length(frame.cameraPosition) - kGlobeRadius);
    ReadoutInput readout;
    readout.cameraPosition = frame.cameraPosition;
    readout.spin = frame.spin;
    readout.pointerOnGlobe = frame.pointerOnGlobe;
    readout.pointerLongitude = frame.pointerLongitude;
    readout.pointerLatitude = frame.pointerLatitude;
    readout.pointerElevation = frame.pointerElevation;
    readout.hoveredCity = selection_.hoveredCity;
    readout.hoveredCountry = selection_.hoveredCountry;
    readout.metric = frame.metricUnits;
    infoTexts_.update(readout, cities_, countries_);

    device.setTransform(gfx::TransformType::World, spin);
    device.setTexture(0, nullptr);
    drawOutline(device);

    if (frame.showCities) {
        markers_.build(cities_, grid_, camera, frame.focalLength);
        device.setVertexShader(gfx::kFvfPosDiffuseTex1);
        device.setTexture(0, placeTexture_.get());
        device.setRenderState(gfx::RenderState::CullMode, gfx::kCullNone);
        markers_.draw(device);
        device.setRenderState(gfx::RenderState::CullMode, gfx::kCullCCW);
        device.setTexture(0, nullptr);
    }
    drawStars(device, frame);
    device.setTransform(gfx::TransformType::World, spin);
}

void GeoOverlay::drawOutline(gfx::Device& device) {
    int k = selection_.selectedCountry;
    if (!countries_.isCountry(k) || !boundaries_ || !zones_) return;
    if (const ZoneNode* block = zones_->block(countries_.get(k)->zone)) block->drawOutline(device, *boundaries_);
}

void GeoOverlay::drawStars(gfx::Device& device, const OverlayFrame& frame) {
    if (selection_.marked().empty() && !cities_.isCity(selection_.selectedCity)) return;
    const Matrix spin = math::matrixRotationY(-frame.spin);
    const math::Vec3 camera = math::transformCoord(frame.cameraPosition, math::matrixRotationY(frame.spin));
    const float scale = std::min((math::length(camera) - kGlobeRadius) / kGlobeRadius, 10.0f);
    // A star on the far side of the globe would show through it.
    auto facing = [&](const CityRecord& c) {
        math::Vec3 toCamera = camera - c.position;
        return math::dot(toCamera, c.position) / std::sqrt(math::lengthSq(toCamera) + 1e-5f) >=
               -0.02f * kGlobeRadius;
    };
    device.setVertexShader(gfx::kFvfPosDiffuseTex1);
    device.setTexture(0, nullptr);
    device.setRenderState(gfx::RenderState::CullMode, gfx::kCullNone);
    for (const MarkedCity& m : selection_.marked()) {
        if (!cities_.isCity(m.city) || !facing(cities_[m.city])) continue;
        drawStar(device, cities_[m.city], scale, m.angle, kStarCentre, kStarRim, spin);
    }
    if (cities_.isCity(selection_.selectedCity) && facing(cities_[selection_.selectedCity])) {
        float pulse = scale * (std::sin(5.0f * time_) + 4.0f) * 0.031f;
        drawStar(device, cities_[selection_.selectedCity], pulse, 0.0f, kSelectedStar, kSelectedStar, spin);
    }
    device.setRenderState(gfx::RenderState::CullMode, gfx::kCullCCW);
}

void GeoOverlay::drawStar(gfx::Device& device, const CityRecord& city, float scale, float angle, uint32_t centre,
                          uint32_t rim, const Matrix& spin) {
    std::array<MarkerVertex, 10> v = star_;
    v[0].colour = centre;
    for (size_t k = 1; k < v.size(); ++k) v[k].colour = rim;
    Matrix world = math::matrixRotationX(angle) * math::matrixScaling(scale, scale, scale) *
                   math::matrixRotationZ(city.latitude) * math::matrixRotationY(-city.longitude) *
                   math::matrixTranslation(city.position.x, city.position.y, city.position.z) * spin;
    device.setTransform(gfx::TransformType::World, world);
    device.drawPrimitiveUP(gfx::PrimitiveType::TriangleFan, 8, v.data(), sizeof(MarkerVertex));
}

size_t GeoOverlay::writeRecord(std::vector<uint8_t>& out) { return selection_.writeRecord(out); }

int GeoOverlay::readRecord(std::span<const uint8_t> record) {
    int r = selection_.readRecord(record);
    if (r == settings::kRecordApplied) selection_.dropInvalid(cities_.count(), countries_.count());
    return r;
}

}  // namespace tnx::geodata
