#include "geodata/site_exchange/site_file.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "geodata/site_exchange/csv_reader.h"
#include "geodata/site_exchange/geojson_reader.h"
#include "geodata/site_exchange/gpx_reader.h"
#include "geodata/site_exchange/kml_reader.h"
#include "geodata/site_exchange/site_writer.h"
#include "platform/io/file_io.h"

namespace tnx::geodata {

PlaceList SiteFile::parse(std::span<const uint8_t> bytes, SiteFormat format, bool routePoints) {
    if (bytes.empty()) {
        PlaceList list;
        list.fail("the file is empty");
        return list;
    }
    switch (format) {
        case SiteFormat::Kml: return KmlReader::read(bytes);
        case SiteFormat::Gpx: return GpxReader::read(bytes, routePoints);
        case SiteFormat::GeoJson: return GeoJsonReader::read(bytes);
        case SiteFormat::Csv: return CsvReader::read(bytes);
    }
    return {};
}

PlaceList SiteFile::read(const std::filesystem::path& path, bool routePoints) {
    PlaceList list;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        list.fail(std::filesystem::exists(path, ec) ? "it is not a file" : "there is no such file");
        return list;
    }
    const uint64_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxBytes) {
        char text[128];
        std::snprintf(text, sizeof text, "it is %llu MB, more than the %llu MB a site file may have",
                      static_cast<unsigned long long>((size + (1 << 20) - 1) >> 20),
                      static_cast<unsigned long long>(kMaxBytes >> 20));
        list.fail(text);
        return list;
    }
    std::optional<std::vector<uint8_t>> bytes = io::readWholeFile(path);
    if (!bytes || bytes->size() > kMaxBytes) {
        list.fail(bytes ? "it grew past the size a site file may have" : "it cannot be read");
        return list;
    }
    const std::span<const uint8_t> data(*bytes);
    if (data.size() >= 4 && std::equal(data.begin(), data.begin() + 4, "PK\x03\x04")) {
        list.fail("it is a zip archive (a KMZ?): import the KML file inside it");
        return list;
    }
    return parse(data, SiteFormats::forExtension(path).value_or(SiteFormats::sniff(data)), routePoints);
}

bool SiteFile::write(const std::filesystem::path& path, const std::vector<SitePlace>& places, std::string& error) {
    std::optional<SiteFormat> format = SiteFormats::forExtension(path);
    if (!format) {
        error = "the file name should end in .kml, .gpx, .geojson, .json or .csv";
        return false;
    }
    if (!io::writeFileAtomically(path, SiteWriter::write(*format, places))) {
        error = "it cannot be written";
        return false;
    }
    return true;
}

}  // namespace tnx::geodata
