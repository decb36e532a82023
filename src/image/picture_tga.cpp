#include "image/picture_tga.h"

// Placeholder until the decoder lands: refuses every file.
bool PictureTGA::Decode(ImageStream* /*file*/) { return false; }
