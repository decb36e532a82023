// The resampling kernels behind Picture::Resample. Each fills `target`, already
// created with the new size, the source's depth and palette, from `source`. They stop
// early (leaving the rest of the target as created) when the source's escape value
// is set.
#pragma once

#include "image/picture.h"

// kAreaAverageOrBilinear, 24 bits, smaller in both directions: every source pixel
// is spread over the destination pixels it covers, with integer weights in thousandths.
void ShrinkAreaAverage(const Picture& source, Picture& target);
// kAreaAverageOrBilinear for everything the area average does not take.
void ResampleBilinear(const Picture& source, Picture& target);
// kNearest: the source pixel under the centre of each destination pixel.
void ResampleNearest(const Picture& source, Picture& target);
// kBicubic: Catmull-Rom cubic convolution over 4 x 4 source pixels, centred samples.
void ResampleBicubic(const Picture& source, Picture& target);
