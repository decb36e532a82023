#include "image/picture.h"

// Placeholder until resampling lands.
bool Picture::Resample(int64_t, int64_t, int, Picture*) { return false; }
