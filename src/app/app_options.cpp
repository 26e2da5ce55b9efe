#include "app/app_options.h"

#include "platform/io/byte_io.h"
#include "platform/registry/registry.h"

namespace tnx::app {

std::array<uint8_t, AppOptions::kSize> AppOptions::toBytes() const {
    std::array<uint8_t, kSize> b{};
    io::storeF32(&b[0], reserved0);
    io::storeI32(&b[4], reserved1);
    io::storeI32(&b[8], flag);
    io::storeI32(&b[12], dithering);
    io::storeU32(&b[16], backgroundColor);
    return b;
}

bool AppOptions::fromBytes(const std::vector<uint8_t>& bytes) {
    if (bytes.size() != kSize) return false;
    reserved0 = io::loadF32(&bytes[0]);
    reserved1 = io::loadI32(&bytes[4]);
    flag = io::loadI32(&bytes[8]);
    dithering = io::loadI32(&bytes[12]);
    backgroundColor = io::loadU32(&bytes[16]);
    return true;
}

void AppOptions::read() {
    if (auto v = registry::getBinary(registry::kProductKey, "Options")) fromBytes(*v);
}

bool AppOptions::write() const {
    auto b = toBytes();
    return registry::setBinary(registry::kProductKey, "Options", b);
}

std::array<float, 4> AppOptions::backgroundFloats() const {
    return {float(backgroundColor & 0xFF) / 255.0f, float((backgroundColor >> 8) & 0xFF) / 255.0f,
            float((backgroundColor >> 16) & 0xFF) / 255.0f, 1.0f};
}

}  // namespace tnx::app
