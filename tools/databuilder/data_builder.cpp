#include "data_builder.h"

#include "boundary_product.h"
#include "city_product.h"
#include "country_product.h"
#include "cursor_product.h"
#include "globe_tiles_product.h"
#include "image_product.h"
#include "night_lights_product.h"
#include "readme_product.h"
#include "sky_product.h"

#include "geodata/pack_writer.h"
#include "platform/io/file_io.h"

#include <set>

namespace tnx::databuilder {

namespace fs = std::filesystem;

namespace {

bool allExist(const std::vector<fs::path>& paths) {
    std::error_code ec;
    for (const auto& p : paths)
        if (!fs::is_regular_file(p, ec)) return false;
    return true;
}

}  // namespace

DataBuilder::DataBuilder(SourceCache sources, fs::path outputFolder)
    : sources_(std::move(sources)), output_(std::move(outputFolder)) {}

void DataBuilder::add(std::unique_ptr<BuildProduct> product) {
    products_.push_back(std::move(product));
}

std::vector<std::unique_ptr<BuildProduct>> DataBuilder::standardProducts() {
    std::vector<std::unique_ptr<BuildProduct>> list;
    list.push_back(std::make_unique<ReadmeProduct>());
    list.push_back(std::make_unique<SkyProduct>());
    list.push_back(std::make_unique<ImageProduct>());
    list.push_back(std::make_unique<CountryProduct>());
    list.push_back(std::make_unique<BoundaryProduct>());
    list.push_back(std::make_unique<CityProduct>());
    list.push_back(std::make_unique<CursorProduct>());
    list.push_back(std::make_unique<GlobeTilesProduct>(11));
    list.push_back(std::make_unique<NightLightsProduct>(11));
    return list;
}

bool DataBuilder::fail(std::string message) {
    error_ = std::move(message);
    stamp_.save(stampPath());
    return false;
}

std::string DataBuilder::productKey(const BuildProduct& product) {
    std::string text = "builder " + std::to_string(kBuilderVersion) + "\nproduct " + product.name() +
                       ' ' + std::to_string(product.version()) + '\n';
    for (const std::string& input : product.inputs()) {
        auto it = inputDigests_.find(input);
        if (it == inputDigests_.end()) {
            auto digest = sha256OfPath(sources_.path(input));
            if (!digest) return {};
            it = inputDigests_.emplace(input, *digest).first;
        }
        text += "input " + input + ' ' + it->second + '\n';
    }
    for (const ProductFile& f : product.outputs())
        text += "output " + f.name + (f.inPack ? " pack\n" : " loose\n");
    return sha256Hex(text);
}

bool DataBuilder::buildProduct(BuildProduct& product, const std::string& key) {
    ProductFiles files;
    std::string why;
    if (!product.build(sources_, files, why))
        return fail(product.name() + ": " + (why.empty() ? "failed" : why));
    for (const ProductFile& f : product.outputs()) {
        auto it = files.find(f.name);
        if (it == files.end()) return fail(product.name() + ": did not make " + f.name);
        const fs::path target = f.inPack ? workFolder() / "pack" / f.name : output_ / f.name;
        if (!io::writeFileAtomically(target, it->second))
            return fail(product.name() + ": cannot write " + target.string());
    }
    if (!product.complete(output_, why)) return fail(product.name() + ": " + (why.empty() ? "cannot complete" : why));
    stamp_.setKey(product.name(), key);
    for (const std::string& note : product.notes()) report_.notes.push_back(product.name() + ": " + note);
    return true;
}

bool DataBuilder::run(bool force) {
    report_ = {};
    error_.clear();
    inputDigests_.clear();
    std::error_code ec;
    fs::create_directories(workFolder() / "pack", ec);
    if (ec) return fail("cannot create " + (workFolder() / "pack").string() + ": " + ec.message());
    stamp_.load(stampPath());

    std::set<std::string> names;
    for (const auto& product : products_) {
        for (const ProductFile& f : product->outputs())
            if (!names.insert(f.name).second) return fail(product->name() + ": " + f.name + " is made twice");

        for (const std::string& input : product->inputs())
            if (!sources_.exists(input))
                return fail(product->name() + ": missing source " + sources_.path(input).string() +
                            " (run scripts/fetch-data.sh)");
        const std::string key = productKey(*product);
        if (key.empty()) return fail(product->name() + ": cannot read its sources");

        std::vector<fs::path> made;
        for (const ProductFile& f : product->outputs())
            made.push_back(f.inPack ? workFolder() / "pack" / f.name : output_ / f.name);
        if (!force && stamp_.key(product->name()) == key && allExist(made)) {
            report_.current.push_back(product->name());
            continue;
        }
        stamp_.erase(product->name());
        if (!buildProduct(*product, key)) return false;
        report_.built.push_back(product->name());
    }
    if (!assemblePack(force)) return false;
    if (!stamp_.save(stampPath())) {
        error_ = "cannot write " + stampPath().string();
        return false;
    }
    return true;
}

bool DataBuilder::assemblePack(bool force) {
    // The pack's key follows its members' keys, so any rebuilt member (or a
    // member added or dropped) rewrites it.
    std::string text = "pack " + std::to_string(kBuilderVersion) + '\n';
    for (const auto& product : products_)
        for (const ProductFile& f : product->outputs())
            if (f.inPack) text += f.name + ' ' + stamp_.key(product->name()) + '\n';
    const std::string key = sha256Hex(text);
    const fs::path packPath = output_ / kPackName;
    std::error_code ec;
    if (!force && stamp_.key(kPackName) == key && fs::is_regular_file(packPath, ec)) return true;

    stamp_.erase(kPackName);
    geodata::PackWriter writer;
    for (const auto& product : products_)
        for (const ProductFile& f : product->outputs())
            if (f.inPack && !writer.addFile(workFolder() / "pack" / f.name, f.name))
                return fail(std::string(kPackName) + ": cannot add " + f.name);
    if (!writer.write(packPath)) return fail("cannot write " + packPath.string());
    stamp_.setKey(kPackName, key);
    report_.packWritten = true;
    return true;
}

}  // namespace tnx::databuilder
