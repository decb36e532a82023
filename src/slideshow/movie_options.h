// The options of a movie beyond its frame size and rate, as one value that the build,
// the preview and the picture shown on a click all take. Every default is the plain
// slideshow, byte for byte: pictures as stored, stretched to the frame, on black, as
// JPEGs of quality 80, one frame per picture, cut from one to the next, looping, in a
// movie of version 3 with no page beside it. Their text forms are in
// movie_option_fields.h; what the timings make of frames is in movie_timing.h.
#pragma once

#include <cstdint>
#include <string>

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
    // How long each picture is shown, in thousandths of a second; 0 is one frame.
    int32_t pictureMilliseconds = 0;
    // How long the next picture takes to fade in over the one it replaces, in
    // thousandths of a second, from the start of its own showing; 0 is a cut.
    int32_t crossfadeMilliseconds = 0;
    // The movie stops on its last frame instead of looping.
    bool stopAtEnd = false;
    // The movie written as version 8, whose players smooth its pictures when they
    // show them larger or smaller than the frame; version 3 otherwise.
    bool smooth = false;
    // A web page beside the movie that plays it (web_page.h).
    bool webPage = false;
    // Where that page loads Ruffle from; empty for the public CDN (kRuffleCdnAddress).
    std::string ruffleAddress = {};

    friend bool operator==(const MovieOptions&, const MovieOptions&) = default;
};

// The background as a picture's colour (blue, green, red).
inline RgbQuad BackgroundQuad(const MovieOptions& options) {
    return RgbQuad{static_cast<uint8_t>(options.background),
                   static_cast<uint8_t>(options.background >> 8),
                   static_cast<uint8_t>(options.background >> 16), 0};
}
