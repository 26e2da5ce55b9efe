// The geography overlay of the globe: the country and city tables, the city
// grid and markers, what the pointer hovers, the marked cities with their
// spinning stars, the pulsing selected city and the selected country's
// outline. The scene creates it, tells it when the boundaries and zones are
// loaded, hands it the frame's camera and pointer, and forwards clicks, the
// "Clear" command and the "saveccity" record.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "geodata/browser_link.h"
#include "geodata/city_grid.h"
#include "geodata/city_markers.h"
#include "geodata/city_selection.h"
#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/site_exchange/site_file_ui.h"
#include "geodata/user_site_store.h"
#include "geodata/info_texts.h"
#include "platform/gfx/device.h"
#include "platform/win/popup_menu.h"
#include "settings/record.h"

namespace tnx::geodata {

class BoundaryStore;
class ZoneTree;

// What the overlay needs of a frame.
struct OverlayFrame {
    math::Vec3 cameraPosition;  // world space
    float spin = 0;             // the globe's spin angle; the overlay draws with world = rotation by -spin
    float focalLength = 1;      // pixels of an unscaled desktop
    float frameSeconds = 0;
    bool pointerOnGlobe = false;
    float pointerLongitude = 0;  // radians
    float pointerLatitude = 0;
    float pointerElevation = 0;  // metres
    bool showCities = true;
    bool metricUnits = true;
};

// Where a new site goes: the last point under the pointer and the terrain
// there.
struct SitePoint {
    float longitude = 0, latitude = 0;  // radians
    float elevationMetres = 0;
};

class GeoOverlay : public settings::RecordOwner {
public:
    // The user-site commands as the scene hands them on.
    enum SiteCommand : int { kSiteEdit = 256, kSiteAdd = 512, kSiteDelete = 768 };
    static constexpr uint32_t kCmdEditSite = 40054;
    static constexpr uint32_t kCmdDeleteSite = 40056;
    // Metres of ground at a point (radians).
    using GroundHeight = std::function<float(float longitude, float latitude)>;

    static constexpr float kGlobeRadius = 63.71f;
    static constexpr uint32_t kOutlineColour = 0xFFFFFFFF;
    static constexpr uint32_t kStarRim = 0xAF000000;
    static constexpr uint32_t kStarCentre = 0xAFFF0000;
    static constexpr uint32_t kSelectedStar = 0xAFFFFF00;

    // Loads "country.bin" and "site.bin" from the data files (a missing file
    // leaves its table empty) and builds the markers and the grid with the
    // given vertical exaggeration (scene units per metre).
    explicit GeoOverlay(float exaggeration, bool loadData = true);
    // Writes "usersite.bin" when a change is still unsaved.
    ~GeoOverlay() override;

    // The boundaries and zones are loaded (either may be null).
    void setGeography(const BoundaryStore* boundaries, const ZoneTree* zones);
    // Markers again after the table changed (user sites) or the
    // exaggeration did.
    void rebuildCities();
    void setExaggeration(float exaggeration);

    // Device objects: the place marker texture (may be null: untextured).
    void setPlaceTexture(std::unique_ptr<gfx::Texture> texture);
    void release();

    // The pointer's city and country for a point on the globe (radians), the
    // camera `altitude` above the surface in scene units.
    void hover(bool onGlobe, float longitude, float latitude, float altitude);
    // Hover and the read-outs, then the outline, the markers and the stars.
    void draw(gfx::Device& device, const OverlayFrame& frame);
    // A left click on the globe; a country's click shows its overview.
    void click();
    // "Unselect And Clear All".
    void clearAll();

    // The user's sites joined to the city table, then the markers and grid.
    void applyUserSites();
    UserSiteStore& sites() { return sites_; }
    // The site dialog and deletion question (none: site commands do nothing).
    void setSiteEditor(SiteEditor* editor) { editor_ = editor; }
    // Told after every change of the city table (the browsers refill).
    void setCitiesChanged(std::function<void()> handler) { citiesChanged_ = std::move(handler); }
    // The context menu is about to open: its site items and commands are
    // about the city hovered now.
    void captureMenuTarget();
    // "Edit %s" for the hovered city and, for a site of the user's own,
    // "Delete %s".
    void appendSiteItems(win::Menu& edit) const;
    // Edit, add or delete a site; 1 when the city table changed.
    int siteCommand(int which, const SitePoint& at);
    // Places from a file become the user's own sites (each in the country
    // under it, on the ground when the file gives no altitude); the table
    // is rebuilt and the sites written when any came in.
    SiteImportReport importPlaces(const PlaceList& places, const std::string& file, const std::string& stem,
                                  const GroundHeight& ground);
    // "Import Sites…" and "Export Sites…" through the file choosers (none:
    // the commands do nothing); import answers 1 when the table changed.
    void setSiteFileUi(SiteFileUi* ui) { fileUi_ = ui; }
    int importSitesCommand(const GroundHeight& ground);
    void exportSitesCommand();
    // The city and country browsers, once the HUD has built them (may be null).
    void setBrowsers(BrowserLink* browsers) { browsers_ = browsers; }
    BrowserLink* browsers() const { return browsers_; }

    CountryTable& countries() { return countries_; }
    const CountryTable& countries() const { return countries_; }
    CityTable& cities() { return cities_; }
    const CityTable& cities() const { return cities_; }
    const CityGrid& grid() const { return grid_; }
    CitySelection& selection() { return selection_; }
    const CitySelection& selection() const { return selection_; }
    const CityMarkers& markers() const { return markers_; }
    InfoTexts& infoTexts() { return infoTexts_; }
    const InfoTexts& infoTexts() const { return infoTexts_; }

    // "saveccity"
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

private:
    int menuCity() const;
    void citiesChanged(int removedCity);
    void drawOutline(gfx::Device& device);
    void drawStars(gfx::Device& device, const OverlayFrame& frame);
    void drawStar(gfx::Device& device, const CityRecord& city, float scale, float angle, uint32_t centre,
                  uint32_t rim, const math::Matrix& spin);

    float exaggeration_;
    CountryTable countries_;
    CityTable cities_;
    CityGrid grid_;
    CitySelection selection_;
    CityMarkers markers_;
    UserSiteStore sites_;
    SiteEditor* editor_ = nullptr;
    SiteFileUi* fileUi_ = nullptr;
    std::function<void()> citiesChanged_;
    int menuCity_ = -1, menuCountry_ = 0;  // captured with the context menu; -1: none captured
    bool sitesUnsaved_ = false;
    InfoTexts infoTexts_;
    std::array<MarkerVertex, 10> star_{};
    std::unique_ptr<gfx::Texture> placeTexture_;
    const BoundaryStore* boundaries_ = nullptr;
    const ZoneTree* zones_ = nullptr;
    float time_ = 0;  // accumulated frame time, for the pulse
    BrowserLink* browsers_ = nullptr;
};

}  // namespace tnx::geodata
