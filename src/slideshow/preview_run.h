// The preview: the list played as a timed slideshow in the preview area, each
// picture at its own size stretched over the area, with a wait after each.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "slideshow/slideshow_events.h"
#include "slideshow/stop_request.h"

struct PreviewRequest {
    std::vector<std::string> picturePaths;
    // Frames per second as the settings hold it; the waits of one run add up to about
    // `rate` seconds, whatever the number of pictures.
    int32_t rate = 0;
};

// Waits the given milliseconds on the calling thread; false when the run was stopped
// meanwhile.
using PreviewWait = std::function<bool(int32_t milliseconds)>;

// rate x 1000 / count milliseconds in 32-bit arithmetic, quotient truncated. A
// negative wait, or one whose product leaves the 32-bit range, is no wait.
int32_t PreviewWaitMilliseconds(int32_t rate, int32_t count);

// Reports every entry in order: EntryStarted, then FrameProduced with the size text
// and the picture to show. An entry that does not load shows the last picture that
// did (nothing before the first one), as one picture object reused for the whole run
// would. Then waits through `wait`. Ends early, between steps, when `stop` (may be
// null) is raised. Touches nothing but the files it reads, so it may run on a worker.
void RunPreview(const PreviewRequest& request, SlideshowEvents& events, const StopRequest* stop,
                const PreviewWait& wait);
