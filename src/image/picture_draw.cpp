#include "image/picture.h"

// Placeholder until drawing lands.
int Picture::Draw(DrawingSurface*, int32_t, int32_t, int32_t, int32_t, const SurfaceRect*, bool) {
    return 0;
}
RgbQuad Picture::InterpolateBilinear(float, float) const { return {}; }
RgbQuad Picture::AverageArea(float, float, float, float) const { return {}; }
