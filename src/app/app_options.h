// The "Options" record kept in the registry: 20 bytes of display options.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tnx::app {

struct AppOptions {
    float reserved0 = 60.0f;     // carried, not interpreted by the shell
    int32_t reserved1 = 60;      // carried, not interpreted by the shell
    int32_t flag = 1;            // copied into the application object
    int32_t dithering = 1;
    uint32_t backgroundColor = 0;  // 0x00BBGGRR

    static constexpr size_t kSize = 20;
    std::array<uint8_t, kSize> toBytes() const;
    // False (and nothing changed) unless the bytes are exactly one record.
    bool fromBytes(const std::vector<uint8_t>& bytes);

    // Reads the record from the registry; a missing value or one of the wrong
    // type or size leaves the defaults.
    void read();
    bool write() const;

    // Background colour as red, green, blue, alpha in 0..1.
    std::array<float, 4> backgroundFloats() const;
};

}  // namespace tnx::app
