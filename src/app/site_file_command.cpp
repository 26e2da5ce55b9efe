#include "app/site_file_command.h"

#include <filesystem>

#include "app/place_query.h"
#include "geodata/site_exchange/site_file.h"
#include "globe/terrain/elevation_cache.h"
#include "globe/terrain/tile_file.h"

namespace tnx::app {

namespace {

// The ground under places without an altitude, from the installed terrain
// (flat when there is none).
class Ground {
public:
    Ground() {
        globe::openTileFiles(files_);
        const int w = files_.rendererGridWidth(), h = files_.rendererGridHeight();
        cache_ = std::make_unique<globe::ElevationCache>(&files_.terrain, files_.terrainLevelShift, w, h, (w - 1) / 2,
                                                         (h - 1) / 2, globe::ElevationCache::ringSideForMemory(0));
    }
    float at(float longitude, float latitude) { return cache_->elevationAt(longitude, latitude); }

private:
    globe::TileFileSet files_;
    std::unique_ptr<globe::ElevationCache> cache_;
};

int importSites(const std::string& file, std::FILE* out, std::FILE* err) {
    geodata::PlaceList list = geodata::SiteFile::read(file);
    if (list.done()) {
        std::fprintf(err, "terranox: %s: %s\n", file.c_str(), list.error().c_str());
        return 2;
    }
    PlaceQuery places;
    Ground ground;
    geodata::GeoOverlay& tables = places.tables();
    const geodata::SiteImportReport report =
        tables.importPlaces(list, file, std::filesystem::path(file).stem().string(),
                            [&ground](float lon, float lat) { return ground.at(lon, lat); });
    for (const auto* lines : {&report.skippedLines, &report.nameLines})
        for (const std::string& line : *lines) std::fprintf(err, "%s: %s\n", file.c_str(), line.c_str());
    if (report.imported > 0 && !tables.sites().saveFile()) {
        std::fprintf(err, "terranox: your sites could not be written, so nothing of %s was kept\n", file.c_str());
        return 2;
    }
    std::fprintf(out, "%s\n", report.summary().c_str());
    return report.exitStatus();
}

int exportSites(const std::string& file, std::FILE* out, std::FILE* err) {
    PlaceQuery places;
    const std::vector<geodata::SitePlace> sites = geodata::SiteTransfer::ownSites(places.tables().sites());
    std::string error;
    if (!geodata::SiteFile::write(file, sites, error)) {
        std::fprintf(err, "terranox: %s: %s\n", file.c_str(), error.c_str());
        return 2;
    }
    std::fprintf(out, "exported %zu %s to %s\n", sites.size(), sites.size() == 1 ? "site" : "sites", file.c_str());
    return 0;
}

}  // namespace

int runSiteFileCommand(const SiteFileRequest& request, std::FILE* out, std::FILE* err) {
    return request.import ? importSites(request.path, out, err) : exportSites(request.path, out, err);
}

}  // namespace tnx::app
