// terranox-databuilder: makes the viewer's built-in data from the unpacked
// open data sources (see scripts/fetch-data.sh).
//
//   terranox-databuilder [--force] [--verbose] [--globe-class 13] SOURCE_CACHE OUTPUT_FOLDER
//
// --globe-class 13 adds the finer tile files (terrain class 12, texture and
// night lights class 13) to the standard class 11 ones.
// Quiet on success; products whose inputs did not change are not made again.

#include "data_builder.h"
#include "globe_tiles_product.h"
#include "night_lights_product.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr, "usage: terranox-databuilder [--force] [--verbose] [--globe-class 13] SOURCE_CACHE OUTPUT_FOLDER\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool force = false, verbose = false;
    int globeClass = 11;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--force") == 0) force = true;
        else if (std::strcmp(argv[i], "--globe-class") == 0 && i + 1 < argc) {
            globeClass = std::atoi(argv[++i]);
            if (!tnx::databuilder::GlobeTilesProduct::supportedClass(globeClass)) return usage();
        }
        else if (std::strcmp(argv[i], "--verbose") == 0) verbose = true;
        else if (argv[i][0] == '-') return usage();
        else paths.emplace_back(argv[i]);
    }
    if (paths.size() != 2) return usage();

    using tnx::databuilder::DataBuilder;
    DataBuilder builder(tnx::databuilder::SourceCache(paths[0]), paths[1]);
    for (auto& product : DataBuilder::standardProducts()) builder.add(std::move(product));
    if (globeClass != 11) {
        builder.add(std::make_unique<tnx::databuilder::GlobeTilesProduct>(globeClass));
        builder.add(std::make_unique<tnx::databuilder::NightLightsProduct>(globeClass));
    }
    if (!builder.run(force)) {
        std::fprintf(stderr, "terranox-databuilder: %s\n", builder.error().c_str());
        return 1;
    }
    if (verbose) {
        const auto& r = builder.report();
        for (const auto& name : r.built) std::printf("built %s\n", name.c_str());
        for (const auto& name : r.current) std::printf("up to date %s\n", name.c_str());
        for (const auto& note : r.notes) std::printf("%s\n", note.c_str());
        std::printf("%s %s\n", DataBuilder::kPackName, r.packWritten ? "written" : "up to date");
    }
    return 0;
}
