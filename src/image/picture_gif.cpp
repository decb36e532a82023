#include "image/picture_gif.h"

// Placeholder until the decoder lands: refuses every file.
bool PictureGIF::Decode(ImageStream* /*file*/) { return false; }
