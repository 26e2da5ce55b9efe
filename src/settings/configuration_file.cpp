#include "settings/configuration_file.h"

#include <cstdio>

#include "platform/home/program_home.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "platform/resources/resource_lookup.h"

namespace tnx::settings {

std::string ConfigurationFile::fileName() { return std::string(kProductName) + ".ini"; }

ConfigurationFile::ConfigurationFile() : keptGlobe_(kGlobeRecordName), keptMusic_(kMusicRecordName) {}

void ConfigurationFile::setOwners(RecordOwner* globe, RecordOwner* music) {
    globe_ = globe;
    music_ = music;
}

int ConfigurationFile::load() {
    const std::string name = fileName();
    auto image = io::readWholeFile(home::homeFile(name));
    if (!image) image = res::findDefaultResource(name);
    if (!image) return -1;
    return loadImage(*image);
}

int ConfigurationFile::loadImage(std::span<const uint8_t> image) {
    keptGlobe_.clear();
    keptMusic_.clear();
    // The head is not checked; the records are handed over by position.
    if (image.size() < kHeadLength) return kRecordOverrun;
    return readChildrenInOrder(image.subspan(kHeadLength), {globeSlot(), musicSlot()});
}

std::optional<std::vector<uint8_t>> ConfigurationFile::assemble() {
    std::vector<uint8_t> image;
    io::ByteWriter w(image);
    w.u32(0);
    w.u32(uint32_t(kHeadLength));
    w.zeros(12);
    globeSlot()->writeRecord(image);
    musicSlot()->writeRecord(image);
    if (image.size() > kMaxFileLength) return std::nullopt;
    return image;
}

bool ConfigurationFile::save() {
    auto image = assemble();
    if (!image) {
        std::fprintf(stderr, "terranox: warning: %s not written: its records exceed %zu bytes\n",
                     fileName().c_str(), kMaxFileLength);
        return false;
    }
    return io::writeFileAtomically(home::homeFile(fileName()), *image);
}

}  // namespace tnx::settings
