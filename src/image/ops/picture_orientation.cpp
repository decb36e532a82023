#include "image/ops/picture_orientation.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/ops/picture_like.h"
#include "image/packed_pixels.h"
#include "image/picture.h"

namespace {

// Pixels are copied in square tiles: a quarter turn reads one picture by rows and the
// other by columns, and a tile keeps both within the cache.
constexpr int64_t kTile = 32;

// Where an upright pixel comes from: stored column x = xPerColumn * X + xPerRow * Y +
// xStart and stored row y likewise, with X, Y the upright column and row and every
// row counted from the top.
struct SourceOf {
    int64_t xPerColumn, xPerRow, xStart;
    int64_t yPerColumn, yPerRow, yStart;
};

// The four quarter turns of a stored picture of width w and height h.
SourceOf QuarterTurnSource(uint8_t orientation, int64_t w, int64_t h) {
    switch (orientation) {
        case kOrientationTransposed:
            return {0, 1, 0, 1, 0, 0};  // (Y, X)
        case kOrientationTurnRight:
            return {0, 1, 0, -1, 0, h - 1};  // (Y, h - 1 - X)
        case kOrientationTransversed:
            return {0, -1, w - 1, -1, 0, h - 1};  // (w - 1 - Y, h - 1 - X)
        default:
            return {0, -1, w - 1, 1, 0, 0};  // kOrientationTurnLeft: (w - 1 - Y, X)
    }
}

// The start of every stored row, indexed by the row counted from the top.
std::vector<uint8_t*> RowsFromTop(Picture& picture) {
    std::vector<uint8_t*> rows(picture.GetHeight());
    for (uint32_t y = 0; y < picture.GetHeight(); ++y) {
        rows[y] = picture.GetBits(picture.GetHeight() - 1 - y);
    }
    return rows;
}

// The quarter turn into `turned`, already made with the sides swapped: colours, and
// the alpha plane (one byte a pixel, bottom row first, no padding) when there is one.
void TurnAQuarter(Picture& picture, Picture& turned, uint8_t orientation) {
    const int64_t storedWidth = picture.GetWidth();
    const int64_t storedHeight = picture.GetHeight();
    const int64_t width = turned.GetWidth();
    const int64_t height = turned.GetHeight();
    const SourceOf source = QuarterTurnSource(orientation, storedWidth, storedHeight);
    const uint32_t bpp = picture.GetBpp();
    const size_t bytes = bpp == 24 ? 3 : bpp == 8 ? 1 : 0;  // 0: packed indexes
    const std::vector<uint8_t*> from = RowsFromTop(picture);
    const std::vector<uint8_t*> to = RowsFromTop(turned);
    const uint8_t* fromAlpha = picture.GetAlphaPlane();
    uint8_t* toAlpha = turned.GetAlphaPlane();
    for (int64_t tileY = 0; tileY < height; tileY += kTile) {
        for (int64_t tileX = 0; tileX < width; tileX += kTile) {
            for (int64_t Y = tileY; Y < std::min(height, tileY + kTile); ++Y) {
                uint8_t* target = to[static_cast<size_t>(Y)];
                for (int64_t X = tileX; X < std::min(width, tileX + kTile); ++X) {
                    const int64_t x = source.xPerColumn * X + source.xPerRow * Y + source.xStart;
                    const int64_t y = source.yPerColumn * X + source.yPerRow * Y + source.yStart;
                    const uint8_t* row = from[static_cast<size_t>(y)];
                    // Sizes the compiler knows, so that a pixel is a move, not a call.
                    if (bytes == 3) {
                        std::memcpy(target + X * 3, row + x * 3, 3);
                    } else if (bytes == 1) {
                        target[X] = row[x];
                    } else {
                        StorePackedIndex(target, static_cast<uint64_t>(X), bpp,
                                         PackedIndex(row, static_cast<uint64_t>(x), bpp));
                    }
                    if (fromAlpha != nullptr) {
                        toAlpha[(height - 1 - Y) * width + X] =
                            fromAlpha[(storedHeight - 1 - y) * storedWidth + x];
                    }
                }
            }
        }
    }
}

// A freshly made picture's pixel memory is not cleared; the turned picture's is
// first, so that its row padding (and the unused bits of packed rows) always give the
// same bytes.
void ClearPixels(Picture& picture) {
    std::memset(picture.GetBits(0), 0,
                static_cast<size_t>(picture.GetEffectiveWidth()) * picture.GetHeight());
}

}  // namespace

bool TurnUpright(Picture& picture) {
    const uint8_t orientation = picture.GetOrientation();
    if (!picture.IsValid()) {
        return false;
    }
    switch (orientation) {
        case kOrientationMirrored:
            picture.Mirror();
            break;
        case kOrientationHalfTurn:
            picture.Mirror();
            picture.Flip();
            break;
        case kOrientationFlipped:
            picture.Flip();
            break;
        case kOrientationTransposed:
        case kOrientationTurnRight:
        case kOrientationTransversed:
        case kOrientationTurnLeft: {
            Picture turned(picture.GetType());
            if (!CreatePictureLike(picture, turned, picture.GetHeight(), picture.GetWidth())) {
                return false;
            }
            ClearPixels(turned);
            TurnAQuarter(picture, turned, orientation);
            turned.SetXDpi(picture.GetYDpi());
            turned.SetYDpi(picture.GetXDpi());
            picture.TakeOver(turned);
            break;
        }
        default:
            break;
    }
    picture.SetOrientation(kOrientationAsStored);
    return true;
}
