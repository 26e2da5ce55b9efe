#include "sky_product.h"

#include "image_jpeg.h"
#include "space_backdrop.h"
#include "star_catalogue.h"

#include "platform/io/file_io.h"

namespace tnx::databuilder {

bool SkyProduct::build(const SourceCache& sources, ProductFiles& files, std::string& error) {
    const auto path = sources.path(source::kStarCatalogue);
    const auto json = io::readWholeFile(path);
    if (!json) {
        error = "cannot read " + path.string();
        return false;
    }
    std::string why;
    const auto catalogue = StarCatalogue::fromGeoJson(*json, &why);
    if (!catalogue) {
        error = path.string() + ": " + why;
        return false;
    }
    if (catalogue->stars().empty()) {
        error = path.string() + ": no stars";
        return false;
    }
    files["star.bin"] = catalogue->encodeStarBin();
    files["space.jpg"] = jpegOf(SpaceBackdrop::render(catalogue->stars()), kBackdropQuality);
    if (files["space.jpg"].empty()) {
        error = "cannot encode space.jpg";
        return false;
    }
    return true;
}

}  // namespace tnx::databuilder
