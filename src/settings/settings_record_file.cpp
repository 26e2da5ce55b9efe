#include "settings/settings_record_file.h"

#include <cstdio>

#include "platform/home/program_home.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "platform/resources/resource_lookup.h"

namespace tnx::settings {

int SettingsRecordFile::load(const std::string& fileName, RootRecordOwner& root) {
    auto image = io::readWholeFile(home::homeFile(fileName));
    if (!image) image = res::findDefaultResource(fileName);
    if (!image) return -1;
    return loadImage(*image, root);
}

int SettingsRecordFile::loadImage(std::span<const uint8_t> image, RootRecordOwner& root) {
    if (image.size() < kHeadLength + kMinRecordSize) return -1;
    int consumed = root.readRootRecord(image.subspan(kHeadLength));
    if (consumed < 0) return consumed;
    const uint64_t rootSize = io::loadU32(image.data() + kHeadLength);
    const uint64_t total = io::loadU32(image.data() + 4);
    if (uint64_t(consumed) > rootSize) return kRecordOverrun;
    if (total != rootSize + kHeadLength || rootSize + kHeadLength > image.size()) return kRecordOverrun;
    return int(rootSize + kHeadLength);
}

std::optional<std::vector<uint8_t>> SettingsRecordFile::assemble(RootRecordOwner& root) {
    std::vector<uint8_t> image(kHeadLength, 0);
    size_t rootSize = root.writeRootRecord(image);
    if (image.size() > kMaxFileLength || rootSize + kHeadLength != image.size()) return std::nullopt;
    io::storeU32(image.data() + 4, uint32_t(image.size()));
    return image;
}

int SettingsRecordFile::save(const std::string& fileName, RootRecordOwner& root) {
    auto image = assemble(root);
    if (!image) {
        std::fprintf(stderr, "terranox: warning: %s not written: its records exceed %zu bytes\n",
                     fileName.c_str(), kMaxFileLength);
        return -1;
    }
    if (!io::writeFileAtomically(home::homeFile(fileName), *image)) return -1;
    return int(image->size());
}

}  // namespace tnx::settings
