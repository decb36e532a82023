// The resampling kernels behind Picture::Resample. Each fills `target`, already
// created with the new size, the source's depth and palette, from `source`. They stop
// early (leaving the rest of the target as created) when the source's escape value
// is set.
#pragma once

#include "image/picture.h"

// What one resampling works between: the old and the new sizes, and the scales (old
// pixels per new pixel, in single precision as every kernel's positions are).
struct ResampleSizes {
    int64_t oldWidth;
    int64_t oldHeight;
    int64_t newWidth;
    int64_t newHeight;
    float xScale;
    float yScale;
};

inline ResampleSizes SizesOf(const Picture& source, const Picture& target) {
    const int64_t oldWidth = source.GetWidth();
    const int64_t oldHeight = source.GetHeight();
    const int64_t newWidth = target.GetWidth();
    const int64_t newHeight = target.GetHeight();
    return {oldWidth,
            oldHeight,
            newWidth,
            newHeight,
            static_cast<float>(oldWidth) / static_cast<float>(newWidth),
            static_cast<float>(oldHeight) / static_cast<float>(newHeight)};
}

// kAreaAverageOrBilinear, 24 bits, smaller in both directions: every source pixel
// is spread over the destination pixels it covers, with integer weights in thousandths.
void ShrinkAreaAverage(const Picture& source, Picture& target);
// kAreaAverageOrBilinear for everything the area average does not take.
void ResampleBilinear(const Picture& source, Picture& target);
// kNearest: the source pixel under the centre of each destination pixel.
void ResampleNearest(const Picture& source, Picture& target);
// kBicubic: Catmull-Rom cubic convolution over 4 x 4 source pixels, centred samples.
void ResampleBicubic(const Picture& source, Picture& target);
