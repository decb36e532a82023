// PNG pictures through libpng.
#pragma once

#include "image/picture.h"

class PicturePNG : public Picture {
  public:
    PicturePNG() : Picture(kFormatPng) {}
    // Fills this picture from the stream; false with the reason in the last error.
    bool Decode(ImageStream* file);
};
