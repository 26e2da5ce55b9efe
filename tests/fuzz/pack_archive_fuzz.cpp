// pack.dat: the directory search and every entry read through the archive.
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "geodata/pack_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::fuzz::MemoryFile file(data, size);
    if (!file.ok()) return 0;
    tnx::geodata::PackArchive archive;
    if (archive.open(file.path()) <= 0) return 0;
    static const char* const kNames[] = {"pack\\country.bin", "pack\\site.bin", "pack\\CARTE.BIN2",
                                         "pack\\CARTE.ZONES", "pack\\star.bin", "pack\\button.jpg"};
    for (const char* name : kNames) {
        std::vector<uint8_t> buffer;
        size_t length = 0;
        // Whole file, then a window from an offset, as the tile readers ask.
        archive.readFile(name, buffer, length);
        archive.readFile(name, buffer, length, 7, 64);
    }
    return 0;
}
