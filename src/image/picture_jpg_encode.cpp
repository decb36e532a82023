#include "image/picture_jpg.h"

// Placeholder until the encoder lands.
bool PictureJPG::Encode(ImageStream* /*file*/) { return false; }
