#include "image_product.h"

#include "drawn_images.h"
#include "image_jpeg.h"

#include "globe/image/image_decoder.h"

#include "platform/io/file_io.h"

namespace tnx::databuilder {

bool ImageProduct::build(const SourceCache& sources, ProductFiles& files, std::string& error) {
    // The Moon map is already what the viewer wants: an equirectangular map,
    // north up, longitude -180 at the left edge, so the near side (longitude
    // 0) lies in the middle, which is the part of the Moon sphere that faces
    // the Earth. It is taken over byte for byte after a check.
    const auto moonPath = sources.path(source::kMoonTexture);
    auto moon = io::readWholeFile(moonPath);
    const globe::RgbImage decoded = moon ? globe::decodeJpeg(*moon) : globe::RgbImage{};
    if (decoded.empty()) {
        error = moonPath.string() + " is not a readable JPEG";
        return false;
    }
    if (decoded.width != 2 * decoded.height) {
        error = moonPath.string() + " is not a 2:1 map";
        return false;
    }
    files["moon.jpg"] = std::move(*moon);

    const std::pair<const char*, QImage> drawn[] = {
        {"star.jpg", DrawnImages::starSprite()},
        {"place.jpg", DrawnImages::placeMarker()},
        {"button.jpg", DrawnImages::buttonAtlas()},
    };
    for (const auto& [name, image] : drawn) {
        files[name] = jpegOf(image, kQuality);
        if (files[name].empty()) {
            error = std::string("cannot encode ") + name;
            return false;
        }
    }
    return true;
}

}  // namespace tnx::databuilder
