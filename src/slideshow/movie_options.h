// The options of a movie beyond its frame size and rate, as one value that the build,
// the preview and the picture shown on a click all take. Every default is the plain
// slideshow, byte for byte: pictures as stored, stretched to the frame, on black, as
// JPEGs of quality 80. Their text forms are in movie_option_fields.h.
#pragma once

#include <cstdint>

#include "image/ops/picture_fit.h"

struct MovieOptions {
    // JPEG photos turned upright by their EXIF orientation.
    bool upright = false;
    // How a picture meets a frame of another shape.
    PictureFit fit = PictureFit::kStretch;
    // The movie's background colour, and the borders of contained pictures: 0xRRGGBB.
    uint32_t background = 0x000000;
    // The quality of each frame's JPEG, 1 to 100.
    int32_t jpegQuality = 80;

    friend bool operator==(const MovieOptions&, const MovieOptions&) = default;
};

// The background as a picture's colour (blue, green, red).
inline RgbQuad BackgroundQuad(const MovieOptions& options) {
    return RgbQuad{static_cast<uint8_t>(options.background),
                   static_cast<uint8_t>(options.background >> 8),
                   static_cast<uint8_t>(options.background >> 16), 0};
}
