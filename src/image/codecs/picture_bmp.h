// Windows and OS/2 bitmaps: BITMAPFILEHEADER files and headerless DIBs.
#pragma once

#include "image/picture.h"

class PictureBMP : public Picture {
  public:
    PictureBMP() : Picture(kFormatBmp) {}
    // Fills this picture from the stream; false with the reason in the last error.
    bool Decode(ImageStream* file);
};
