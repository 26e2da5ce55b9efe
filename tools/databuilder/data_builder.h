// Makes the program's built-in data from the source cache: runs every
// product family whose inputs or code changed since the last build, keeps
// each family's pack members in a work folder, and assembles pack.dat from
// them whenever one of them changed.
//
// Output folder layout: pack.dat and the loose files (cursors, later the tile
// files) beside it; ".databuilder/" holds the stamp and the pack members.
#pragma once

#include "build_product.h"
#include "build_stamp.h"
#include "source_cache.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tnx::databuilder {

class DataBuilder {
public:
    // Raised when a change to the builder itself (not to one product)
    // invalidates every earlier build.
    static constexpr int kBuilderVersion = 1;
    static constexpr const char* kPackName = "pack.dat";
    static constexpr const char* kWorkFolder = ".databuilder";

    struct Report {
        std::vector<std::string> built;    // products made in this run
        std::vector<std::string> current;  // products that were up to date
        std::vector<std::string> notes;    // "<product>: <note>" of the products made
        bool packWritten = false;
    };

    DataBuilder(SourceCache sources, std::filesystem::path outputFolder);

    void add(std::unique_ptr<BuildProduct> product);

    // Builds what is out of date (everything when `force`). On failure the
    // reason is in error() and the products finished so far stay recorded.
    bool run(bool force = false);

    const Report& report() const { return report_; }
    const std::string& error() const { return error_; }
    std::filesystem::path workFolder() const { return output_ / kWorkFolder; }
    std::filesystem::path stampPath() const { return workFolder() / "stamp"; }

    // The builder's usual products, in pack order.
    static std::vector<std::unique_ptr<BuildProduct>> standardProducts();

private:
    std::string productKey(const BuildProduct& product);
    bool buildProduct(BuildProduct& product, const std::string& key);
    bool assemblePack(bool force);
    bool fail(std::string message);

    SourceCache sources_;
    std::filesystem::path output_;
    std::vector<std::unique_ptr<BuildProduct>> products_;
    BuildStamp stamp_{kBuilderVersion};
    std::map<std::string, std::string> inputDigests_;  // by relative path, per run
    Report report_;
    std::string error_;
};

}  // namespace tnx::databuilder
