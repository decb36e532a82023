// Windows icons and cursors (ICO and CUR), including PNG entries.
#pragma once

#include "image/picture.h"

class PictureICO : public Picture {
  public:
    PictureICO() : Picture(kFormatIco) {}
    // Fills this picture from the stream; false with the reason in the last error.
    bool Decode(ImageStream* file);
};
