// "readme.txt": the viewer's help text, shown by its Help button and window,
// and the credits of every open data source with its licence.
#pragma once

#include "build_product.h"

namespace tnx::databuilder {

// One open data source the built-in data comes from, as the help text
// credits it.
struct DataSourceCredit {
    const char* package;  // the Debian or npm package it is taken from
    const char* content;  // what the viewer uses it for, and its origin
    const char* licence;
};

class ReadmeProduct : public BuildProduct {
public:
    // Lines end in CR LF (the text panels break lines at carriage returns);
    // the text stays within the 19,996 bytes the Help window shows.
    static constexpr size_t kMaxBytes = 19996;

    static const std::vector<DataSourceCredit>& credits();
    static std::string text();

    std::string name() const override { return "readme"; }
    int version() const override { return 3; }
    std::vector<std::string> inputs() const override { return {}; }
    std::vector<ProductFile> outputs() const override { return {{"readme.txt", true}}; }
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
};

}  // namespace tnx::databuilder
