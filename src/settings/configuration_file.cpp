#include "settings/configuration_file.h"

#include <cstdio>

#include "platform/home/program_home.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "platform/resources/resource_lookup.h"

namespace tnx::settings {

std::string ConfigurationFile::fileName() { return std::string(kProductName) + ".ini"; }

ConfigurationFile::ConfigurationFile() : keptGlobe_(kGlobeRecordName), keptMusic_(kMusicRecordName) {}

void ConfigurationFile::setOwners(RecordOwner* globe, RecordOwner* music, RecordOwner* timeLapse) {
    globe_ = globe;
    music_ = music;
    timeLapse_ = timeLapse;
}

int ConfigurationFile::load() {
    const std::string name = fileName();
    auto file = io::readWholeFile(home::homeFile(name));
    auto shipped = res::findDefaultResource(name);
    std::optional<std::span<const uint8_t>> f, d;
    if (file) f = *file;
    if (shipped) d = *shipped;
    return loadImages(f, d);
}

int ConfigurationFile::loadImages(std::optional<std::span<const uint8_t>> file,
                                  std::optional<std::span<const uint8_t>> shipped) {
    keptGlobe_.clear();
    keptMusic_.clear();
    damaged_ = false;
    fileRead_ = false;
    if (!file && !shipped) return -1;
    if (shipped) readImage(*shipped);
    // The shipped default is what a first run has, whatever it held.
    damaged_ = false;
    if (!file) return 0;
    fileRead_ = true;
    return readImage(*file);
}

int ConfigurationFile::loadImage(std::span<const uint8_t> image) {
    keptGlobe_.clear();
    keptMusic_.clear();
    damaged_ = false;
    fileRead_ = true;
    return readImage(image);
}

int ConfigurationFile::readImage(std::span<const uint8_t> image) {
    // The records are found by position after the head; a head other than
    // ours is noted but does not hide records that prove themselves by name
    // and layout.
    if (image.size() < kHeadLength) {
        damaged_ = true;
        return kRecordOverrun;
    }
    if (io::loadU32(image.data() + 4) != kHeadLength) damaged_ = true;
    ChildRecords children(image.subspan(kHeadLength));
    for (RecordOwner* owner : {globeSlot(), musicSlot()}) {
        auto child = children.next();
        if (!child) {
            damaged_ = true;
            break;
        }
        if (owner->readRecord(*child) != kRecordApplied) damaged_ = true;
    }
    // The time-lapse may follow; a file without it is whole.
    if (auto child = children.next(); child && timeLapse_ && timeLapse_->readRecord(*child) == kRecordNotMine)
        damaged_ = true;
    return children.overrun() ? kRecordOverrun : kRecordApplied;
}

std::optional<std::vector<uint8_t>> ConfigurationFile::assemble() {
    std::vector<uint8_t> image;
    io::ByteWriter w(image);
    w.u32(0);
    w.u32(uint32_t(kHeadLength));
    w.zeros(12);
    globeSlot()->writeRecord(image);
    musicSlot()->writeRecord(image);
    if (timeLapse_) timeLapse_->writeRecord(image);
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
