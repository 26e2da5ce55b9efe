// The pointer cursors "zoom.cur" and "distance.cur", loose beside pack.dat
// where the viewer loads them.
#pragma once

#include "build_product.h"

namespace tnx::databuilder {

class CursorProduct : public BuildProduct {
public:
    std::string name() const override { return "cursors"; }
    int version() const override { return 1; }
    std::vector<std::string> inputs() const override { return {}; }
    std::vector<ProductFile> outputs() const override {
        return {{"zoom.cur", false}, {"distance.cur", false}};
    }
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override;
};

}  // namespace tnx::databuilder
