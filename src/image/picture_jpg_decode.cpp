#include "image/picture_jpg.h"

// Placeholder until the decoder lands: refuses every file.
bool PictureJPG::Decode(ImageStream* /*file*/) { return false; }
