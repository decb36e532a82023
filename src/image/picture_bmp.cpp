#include "image/picture_bmp.h"

// Placeholder until the decoder lands: refuses every file.
bool PictureBMP::Decode(ImageStream* /*file*/) { return false; }
