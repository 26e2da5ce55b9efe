#include "globe/terrain/terrain_sources.h"

namespace tnx::globe {

bool CacheElevationSource::tileAt(int level, int x, int y, ElevationTile& out) {
    if (!cache_.holds(level, x, y)) return false;
    const CacheTile* t = cache_.tileAt(level, x, y);
    if (!t || !t->ready() || t->samples.size() < size_t(kTileSamples) * kTileSamples) return false;
    out.samples = t->samples.data();
    out.originX = t->originX;
    out.originY = t->originY;
    out.columnShift = t->level + t->rowShift;
    out.rowShift = t->level;
    out.dataLevel = t->dataLevel();
    return true;
}

}  // namespace tnx::globe
