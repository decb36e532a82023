// JPEG pictures through libjpeg: decoding (with EXIF resolution) and encoding.
#pragma once

#include "image/picture.h"

class PictureJPG : public Picture {
  public:
    PictureJPG() : Picture(kFormatJpeg) {}
    // Fills this picture from the stream; false with the reason in the last error.
    bool Decode(ImageStream* file);
    // Writes this picture as a baseline JPEG at GetJpegQuality().
    bool Encode(ImageStream* file);
};
