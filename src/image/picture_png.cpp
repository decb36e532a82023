#include "image/picture_png.h"

// Placeholder until the decoder lands: refuses every file.
bool PicturePNG::Decode(ImageStream* /*file*/) { return false; }
