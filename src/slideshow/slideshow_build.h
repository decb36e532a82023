// The build run shared by the dialog and the command line: every picture of the list,
// in order, becomes one frame of an SWF movie.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "slideshow/movie_options.h"
#include "slideshow/movie_settings.h"
#include "slideshow/slideshow_events.h"
#include "slideshow/stop_request.h"

// What one build is asked to do; everything it needs, so it can run on any thread.
struct SlideshowBuildRequest {
    // The pictures in frame order.
    std::vector<std::string> picturePaths;
    MovieSettings settings;
    // Already chosen and checked by the caller.
    std::string outputPath;
    // Each frame event carries the fitted picture for a preview area.
    bool keepPreview = false;
    // Threads that fit pictures: 0 for one per processor, 1 for the caller's thread
    // alone. The movie is the same whatever the number.
    int threads = 0;
    // JPEG pictures are decoded at a reduced scale that still covers the frame.
    bool fastDecode = false;
    // Upright, fit, background and quality; the defaults make the plain slideshow.
    MovieOptions options = {};
};

struct SlideshowBuildResult {
    bool ok = false;
    // For a failed build: one sentence naming the file and the reason.
    std::string error;
    // Frames of the movie: one per picture unless the pictures are shown longer.
    int32_t framesWritten = 0;
    int32_t unreadablePictures = 0;
    bool stopped = false;
};

// Frames per movie are limited by the 16-bit character ids (bitmap id 2i + 2).
inline constexpr int32_t kMaxSlideshowPictures = 32766;

// Empty when the frame size fits the movie's rectangle fields, else the message that
// refuses it.
std::string CheckFrameSize(const MovieSettings& settings);

// Writes the movie from the request's pictures in order, reporting each entry to
// `events` (may be null) on the calling thread, in list order. It touches nothing but
// its own files, so it may run on a worker thread. `stop` (may be null) is read
// between entries and inside long decodes. The movie is written beside the output
// path under a temporary name and takes the output's name only when complete: a
// failed or stopped build leaves no movie, and an earlier file of that name as it was.
SlideshowBuildResult RunSlideshowBuild(const SlideshowBuildRequest& request,
                                       SlideshowEvents* events, const StopRequest* stop);
