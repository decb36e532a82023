// WebP pictures through libwebp: lossy, lossless, with alpha, and the first frame of
// an animation.
#pragma once

#include "image/picture.h"

class PictureWEBP : public Picture {
  public:
    PictureWEBP() : Picture(kFormatWebp) {}
    // Fills this picture from the stream; false with the reason in the last error.
    bool Decode(ImageStream* file);
};
