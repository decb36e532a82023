// A crossfade as the preview draws it: the picture that fades in and the one it
// replaces, both brought to the movie's frame once, then blended for each fade frame
// as the player draws a picture with an alpha multiplier over the one below it.
#pragma once

#include <cstdint>
#include <memory>

#include "image/picture.h"

class PreviewFade {
  public:
    // Brings copies of both pictures to width x height, 24-bit and without alpha, as
    // the movie's frames hold them. False when either cannot be.
    bool Prepare(const Picture& under, const Picture& over, int32_t width, int32_t height);
    // A new picture: `over` at alphaTerm / 256 (0 to 256) on `under`, each channel
    // rounded to the nearest level.
    std::shared_ptr<Picture> Blend(int32_t alphaTerm) const;

  private:
    Picture under_;
    Picture over_;
};
