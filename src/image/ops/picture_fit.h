// Bringing a picture to a frame of another shape: stretched (its shape lost), contained
// (whole, with borders) or covering (the frame filled, the overflow cropped).
//
// Rounding, with every value a whole pixel and rows counted from the top:
//   contain  the side that limits the scale takes the frame's length; the other is
//            round(side x frame length / limiting side), halves up, at least 1; the
//            picture stands at ((frame width - width) / 2, (frame height - height) / 2)
//            rounded down, so an odd border pixel goes to the right or bottom.
//   cover    the part of the picture with the frame's shape: the side that overflows
//            keeps round(other side x frame's ratio), halves up, at least 1, taken
//            from (overflow / 2) rounded down; that part is then stretched over the
//            frame.
// Both scale with Resample's rules (area average to shrink, bilinear to grow).
#pragma once

#include <cstdint>

#include "image/picture.h"

enum class PictureFit : uint8_t {
    kStretch,  // the whole picture stretched to the frame, its shape not kept
    kContain,  // the whole picture scaled by the smaller ratio and centred on borders
    kCover,    // the frame filled: scaled by the larger ratio, the overflow cropped
};

// A rectangle in whole pixels, x from the left and y from the top.
struct FitRect {
    int64_t x = 0;
    int64_t y = 0;
    int64_t width = 0;
    int64_t height = 0;
    friend bool operator==(const FitRect&, const FitRect&) = default;
};

// Where a contained picture of pictureWidth x pictureHeight stands in the frame: its
// scaled size and its offset. Every size must be at least 1.
FitRect ContainedRect(int64_t pictureWidth, int64_t pictureHeight, int64_t frameWidth,
                      int64_t frameHeight);

// The part of the picture that a covered frame shows, in the picture's pixels.
// Every size must be at least 1.
FitRect CoveredPart(int64_t pictureWidth, int64_t pictureHeight, int64_t frameWidth,
                    int64_t frameHeight);

// Keeps only `part` of the picture (which must lie inside it): pixels of any depth and
// the alpha plane. False, with the picture as it was and the reason in its last
// error, when the cropped picture cannot be made.
bool CropPicture(Picture& picture, const FitRect& part);

// Brings the picture to exactly frameWidth x frameHeight as `fit` says. A contained
// picture's borders take `background`; the result then has no alpha plane, and is
// 24-bit unless both the picture and the background are grey. Stretching is Resample
// and nothing else. False, leaving the picture as it was (or, when the first steps
// went through, at a size of its own), where Resample would refuse: a frame side of
// 0 or less, or a picture past the memory limit.
bool FitPicture(Picture& picture, PictureFit fit, int64_t frameWidth, int64_t frameHeight,
                RgbQuad background);
