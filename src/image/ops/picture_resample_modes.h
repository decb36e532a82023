// The resampling kernels behind Picture::Resample. Each fills `target`, already
// created with the new size, the source's depth and palette, from `source`. They stop
// early (leaving the rest of the target as created) when the source's escape value
// is set, and report progress on the source.
#pragma once

#include "image/picture.h"

// Mode 0, 24 bits, smaller in both directions: every source pixel is spread over the
// destination pixels it covers, with integer weights in thousandths.
void ShrinkAreaAverage(Picture& source, Picture& target);
// Mode 0 for everything the area average does not take.
void ResampleBilinear(Picture& source, Picture& target);
// Mode 1: the source pixel under the centre of each destination pixel.
void ResampleNearest(Picture& source, Picture& target);
// Mode 2: Catmull-Rom cubic convolution over 4 x 4 source pixels, centred samples.
void ResampleBicubic(Picture& source, Picture& target);
