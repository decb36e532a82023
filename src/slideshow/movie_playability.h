// What players make of a movie's frame size and rate. The build writes whatever it is
// asked to (zero and negative values are passed on as they are), but players refuse a
// movie whose frame has no area or whose rate is 0 (ffmpeg: "Invalid data found"), so
// the front ends warn before such a build.
#pragma once

#include <cstdint>
#include <string>

#include "slideshow/movie_settings.h"

// The rate the movie stores: whole frames per second in one byte, the rate's low eight
// bits.
constexpr int32_t StoredFrameRate(int32_t rate) {
    return rate & 0xFF;
}

// Why players will not show a movie of these settings, to follow "a movie with":
// "a frame of 0*210 pixels", "a frame rate of 0", or both joined by " and "; empty
// when they show it.
std::string UnplayableMovieReasons(const MovieSettings& settings);
