#include "source_cache.h"

namespace tnx::databuilder {

bool SourceCache::exists(std::string_view relative) const {
    std::error_code ec;
    return std::filesystem::exists(path(relative), ec);
}

}  // namespace tnx::databuilder
