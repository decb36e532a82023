// Truevision TGA pictures, uncompressed and run-length encoded.
#pragma once

#include "image/picture.h"

class PictureTGA : public Picture {
  public:
    PictureTGA() : Picture(kFormatTga) {}
    // Fills this picture from the stream; false with the reason in the last error.
    bool Decode(ImageStream* file);
};
