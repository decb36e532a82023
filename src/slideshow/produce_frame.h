// One list entry becomes its movie frames: picture file -> picture object -> JPEG ->
// bitmap definition, a frame-sized shape filled with it, its placement and a
// ShowFrame, then any frames that hold it or fade it in. The fitting (frame_fitting.h)
// needs only the picture; the writing here needs the movie and happens in list order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "slideshow/frame_fitting.h"
#include "slideshow/movie_settings.h"
#include "slideshow/slideshow_events.h"

class SwfWriter;

// Character ids and depth of list entry `index`: shape 2i + 1, bitmap 2i + 2, depth
// i + 1.
constexpr uint16_t ShapeIdOf(int32_t index) {
    return static_cast<uint16_t>(2 * index + 1);
}
constexpr uint16_t BitmapIdOf(int32_t index) {
    return static_cast<uint16_t>(2 * index + 2);
}
constexpr uint16_t DepthOf(int32_t index) {
    return static_cast<uint16_t>(index + 1);
}

// The JPEG a frame's bitmap is made from: the last picture of this build that could
// be used. A frame whose own picture could not repeats it; before the first usable
// picture there is none, and such a frame has no bitmap tag.
struct LastUsedJpeg {
    std::vector<uint8_t> bytes;
};

// How an entry's picture is shown: for how many frames, over how many of them it
// fades in above the picture before it (0: it cuts in), and whether the movie stops
// on its last frame. The defaults are the plain slideshow's single frame.
struct PictureShowing {
    int32_t frames = 1;
    int32_t fadeFrames = 0;
    bool stopOnLastFrame = false;
};

// Adds entry `index`'s frames to `writer` from its fitted picture, whatever became of
// the picture (a writer that has failed drops them), and tells what the entry
// showed. Its first frame defines and places the picture; a fading picture is placed
// with the alpha of fade frame 1 and moved with each later one, and the picture
// below is removed on the frame it becomes opaque; the frames after that are bare
// ShowFrames.
FrameProduced WriteFittedFrame(SwfWriter& writer, int32_t index, const std::string& picturePath,
                               FittedFrame fitted, const BuildSettings& settings,
                               LastUsedJpeg& lastUsed, const PictureShowing& showing = {});

// Fits entry `index`'s picture and writes its frame: the whole production of one
// frame on the calling thread.
FrameProduced ProduceFrame(SwfWriter& writer, int32_t index, const std::string& picturePath,
                           const BuildSettings& settings, const FitOptions& options,
                           LastUsedJpeg& lastUsed);
