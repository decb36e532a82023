// GIF pictures, decoded by our own LZW decoder; the image at the frame number.
#pragma once

#include "image/picture.h"

class PictureGIF : public Picture {
  public:
    PictureGIF() : Picture(kFormatGif) {}
    // Fills this picture from the stream; false with the reason in the last error.
    bool Decode(ImageStream* file);
};
