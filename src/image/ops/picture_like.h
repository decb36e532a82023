// A new picture made to receive another one's pixels rearranged (resampled, turned,
// cropped): everything but the pixels comes from the other picture.
#pragma once

#include <cstdint>

#include "image/picture.h"

// Makes `result` a picture of width x height with `source`'s information
// (resolution, quality, transparency, type, options), depth and palette, and an alpha
// plane when `source` has one; its pixels are not set. False, with the reason in
// `source`'s last error, when it cannot be made (the memory limit).
bool CreatePictureLike(Picture& source, Picture& result, uint32_t width, uint32_t height);
