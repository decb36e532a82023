// What the timing options make of frames: how many frames each picture is shown,
// how many of them fade it in, the alpha of each fade frame, and the checks a movie's
// timing must pass before anything is written.
//
// Rounding: a picture is shown for max(1, round(seconds x rate)) frames and fades in
// over round(crossfade x rate) of them, halves up, so 0.25 s at 10 frames per second
// is 3 frames. A rate of 0 or less gives every picture one frame and no fade.
// Fade frame k of F (1 to F) has the alpha multiplier round(256 x k / F) / 256,
// halves up: it rises evenly and reaches full (256) on frame F, where the replaced
// picture is removed.
#pragma once

#include <cstdint>
#include <string>

#include "slideshow/movie_options.h"

// The longest a picture may be shown, and a crossfade take: an hour.
inline constexpr int32_t kMaxTimingMilliseconds = 3600 * 1000;
// The most frames the classic Flash Player plays: a longer movie gets a warning.
inline constexpr int64_t kPlayerFrameLimit = 16000;

// Frames each picture is shown at `rate` frames per second.
int32_t FramesPerPicture(const MovieOptions& options, int32_t rate);
// Frames over which each picture after the first fades in; 0 for a cut.
int32_t CrossfadeFrames(const MovieOptions& options, int32_t rate);
// The alpha multiplier of fade frame k (1 to frames) in 8.8 fixed point: 1 to 256.
int32_t FadeAlphaTerm(int32_t k, int32_t frames);

// The frames of a movie of `pictures` pictures.
int64_t MovieFrameCount(int64_t pictures, const MovieOptions& options, int32_t rate);

// Seconds in their text form: "3", "0.5", "0.125".
std::string SecondsText(int32_t milliseconds);

// Empty when the crossfade fits in the time each picture is shown; else what is
// wrong, as a phrase: "the crossfade (2 s) is longer than the seconds per picture
// (1 s)".
std::string CrossfadeConflict(const MovieOptions& options);

// Empty when the movie's frame count fits the header's 16 bits; else the reason it
// is refused: "it would have 70000 frames and a movie holds at most 65535".
std::string FrameCountRefusal(int64_t frames);
// Empty up to kPlayerFrameLimit frames, and for a movie that is refused anyway (too
// many pictures or frames); else the warning for a movie of `pictures` pictures:
// "The movie has 20000 frames: the classic Flash Player plays at most 16000."
std::string FrameCountWarning(int64_t pictures, const MovieOptions& options, int32_t rate);
