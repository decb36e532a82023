// The preview: the list played as a timed slideshow in the preview area, each
// picture at its own size stretched over the area, with a wait after each. Photos
// are turned upright, and pictures fitted to the frame, as the movie's options ask,
// so that the preview shows what the movie will. With seconds per picture it keeps the
// movie's timing instead, and draws its crossfades frame by frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "slideshow/movie_options.h"
#include "slideshow/slideshow_events.h"
#include "slideshow/stop_request.h"

struct PreviewRequest {
    std::vector<std::string> picturePaths;
    // Frames per second as the settings hold it; the waits of one run add up to about
    // `rate` seconds, whatever the number of pictures.
    int32_t rate = 0;
    // The movie's options. Upright turns photos upright; a fit other than stretch
    // shows each picture as the movie's frame of frameWidth x frameHeight holds it
    // (stretched over the area in turn). With the defaults each picture is shown as
    // it is.
    MovieOptions options = {};
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
};

// Waits the given milliseconds on the calling thread; false when the run was stopped
// meanwhile.
using PreviewWait = std::function<bool(int32_t milliseconds)>;

// rate x 1000 / count milliseconds in 32-bit arithmetic, quotient truncated. A
// negative wait, or one whose product leaves the 32-bit range, is no wait.
int32_t PreviewWaitMilliseconds(int32_t rate, int32_t count);

// Reports every entry in order: EntryStarted, then FrameProduced with the size text
// (the picture's own size, upright when it was turned) and the picture to show; a
// crossfade first reports a FrameProduced with the blend of each of its frames but
// the last, each followed by a wait of one frame. An entry that does
// not load shows the last picture that did (nothing before the first one), as one picture object
// reused for the whole run would. Then waits through `wait`:
// rate x 1000 / count milliseconds, or with seconds per picture the rest of the picture's frames
// at 1000 / rate milliseconds each. Ends early, between steps, when `stop`
// (may be null) is raised. Touches nothing but the files it reads, so it may run on a worker.
void RunPreview(const PreviewRequest& request, SlideshowEvents& events, const StopRequest* stop,
                const PreviewWait& wait);
