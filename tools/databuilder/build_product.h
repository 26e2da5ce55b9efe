// One family of the data builder's products: which source files it reads,
// which files it makes (inside pack.dat or loose beside it), and how.
#pragma once

#include "source_cache.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tnx::databuilder {

struct ProductFile {
    std::string name;  // the file name readers ask for, e.g. "star.bin"
    bool inPack = true;
};

// The files a product made, by name.
using ProductFiles = std::map<std::string, std::vector<uint8_t>>;

class BuildProduct {
public:
    virtual ~BuildProduct() = default;

    virtual std::string name() const = 0;
    // Raised whenever the product's code would make different files from
    // the same sources, so earlier builds are redone.
    virtual int version() const = 0;
    // Source files (or folders) it reads, relative to the source cache.
    virtual std::vector<std::string> inputs() const = 0;
    virtual std::vector<ProductFile> outputs() const = 0;
    // Makes every file of outputs() into `files`; false with a reason in
    // `error` when it cannot.
    virtual bool build(const SourceCache& sources, ProductFiles& files, std::string& error) = 0;
    // What the last build() found worth telling (counts, names it could
    // not match), for the builder's verbose report.
    virtual std::vector<std::string> notes() const { return {}; }
    // Runs once its files are written into the output folder, for files the
    // program itself completes in place (the tile files). False with a
    // reason in `error` when that fails.
    virtual bool complete(const std::filesystem::path& outputFolder, std::string& error) {
        (void)outputFolder;
        (void)error;
        return true;
    }
};

}  // namespace tnx::databuilder
