#include "image/picture_ico.h"

// Placeholder until the decoder lands: refuses every file.
bool PictureICO::Decode(ImageStream* /*file*/) { return false; }
