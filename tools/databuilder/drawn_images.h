// The images the builder draws itself: the star sprite, the city marker, the
// player-button atlas and the two pointer cursors.
#pragma once

#include "cursor_writer.h"

#include <QImage>

namespace tnx::databuilder {

class DrawnImages {
public:
    // Star sprite (greyscale, used additively as a colour texture): a soft
    // round glow, white in the middle and black well inside the edges. The
    // viewer maps the image onto the square inscribed in an equilateral
    // triangle; outside the square it wraps, so the border must stay black.
    // The glow is wide enough that a sprite only three pixels across still
    // shows its bright middle wherever it falls between pixels.
    static constexpr int kStarSpriteSize = 64;
    static constexpr double kStarGlowSigma = 0.3;  // of the half size
    static QImage starSprite(int size = kStarSpriteSize);

    // City marker (greyscale; the viewer uses the red channel as the alpha
    // of the marker's colour): a white disc with a soft rim on black, inside
    // the circle inscribed in the texture square.
    static constexpr int kPlaceMarkerSize = 64;
    static constexpr double kPlaceDiscRadius = 0.30;  // of the texture size
    static constexpr double kPlaceRimRadius = 0.44;
    static QImage placeMarker(int size = kPlaceMarkerSize);

    // Player-button atlas (greyscale; the viewer uses 255 - red as alpha):
    // 4 x 4 tiles, dark icons on white. Each tile is shown on a button twice
    // as wide as high, so tiles are 128 x 64 pixels and the icons are drawn
    // at their true shape. Tiles (column, row): (0,0) previous, (1,0) play,
    // (2,0) pause, (3,0) stop, (0,1) next, (1,1) open; the rest stay empty.
    static constexpr int kTileWidth = 128;
    static constexpr int kTileHeight = 64;
    static constexpr int kAtlasTiles = 4;
    static QImage buttonAtlas();

    // Pointer cursors, 32 x 32 with alpha: a magnifying glass for the zoom
    // tool (hot spot in the lens) and a cross-hair with a ruler for the
    // distance tool (hot spot at the cross).
    static constexpr int kCursorSize = 32;
    static CursorBitmap zoomCursor();
    static CursorBitmap distanceCursor();
};

}  // namespace tnx::databuilder
