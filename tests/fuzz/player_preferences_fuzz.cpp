// The player engine's preferences as the registry file holds them (an INI
// file on this platform): read through the registry layer, the missing
// defaults written back, and the engine's settings taken out.
// Links: tnx_player
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "player/preferences.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A fresh file each time: the settings layer keeps what it read of a
    // file it has seen before.
    static unsigned serial = 0;
    const std::string path = "/tmp/terranox-fuzz-registry-" + std::to_string(::getpid()) + "-" +
                             std::to_string(serial++) + ".conf";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ::setenv("TERRANOX_REGISTRY", path.c_str(), 1);
    {
        tnx::player::Preferences prefs(std::filesystem::path("/nonexistent"));
        prefs.settings();
        // Whatever the file held, every value the engine needs now reads.
        std::string v;
        for (const char* name : {"InputBufferSize", "PreBuffer", "UseDebugLog", "PlaylistRepeat"})
            if (prefs.getString(name, v) != tnx::player::kErrorNone) std::abort();
    }
    std::filesystem::remove(path);
    std::filesystem::remove(path + ".lock");
    return 0;
}
