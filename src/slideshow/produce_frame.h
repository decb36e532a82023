// One list entry becomes one movie frame: picture file -> picture object -> temporary
// JPEG file -> bitmap definition, a frame-sized shape filled with it, its placement
// and a ShowFrame.
#pragma once

#include <cstdint>
#include <string>

#include "slideshow/movie_settings.h"

class DrawingSurface;
class SwfWriter;

// The area the fitted picture is shown in while the movie is built. A null surface
// (a headless build) shows nothing.
struct PreviewSurface {
    DrawingSurface* surface = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// Hears what the frame production has to tell the dialog. Every member has an empty
// default, so a front end only overrides what it shows.
class FrameObserver {
  public:
    virtual ~FrameObserver() = default;
    // The "picture size" text, "%d*%d pixels" of the fitted picture (0*0 pixels when
    // the picture did not load).
    virtual void OnPictureSize(const std::string& text) { (void)text; }
    // The settings fields should show the settings the front end holds again.
    virtual void OnRewriteSettings() {}
    // The picture of entry `index` could not be read; `reason` is the decoder's text.
    virtual void OnPictureUnreadable(int32_t index, const std::string& path,
                                     const std::string& reason) {
        (void)index;
        (void)path;
        (void)reason;
    }
};

enum class FrameOutcome {
    kPictureUsed,         // the picture was fitted and became this frame's bitmap
    kPictureUnreadable,   // the frame repeats the temporary file's earlier content
    kTemporaryFileFailed  // the picture loaded but could not be saved as JPEG
};

struct FrameResult {
    FrameOutcome outcome = FrameOutcome::kPictureUsed;
    // The picture's last error when it did not load or could not be saved.
    std::string reason;
};

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

// Adds exactly one frame to `writer` for entry `index`, whatever happens to the
// picture (a writer that has failed drops it). The picture is loaded by content, made
// 24-bit unless grey, stretched to the frame, saved as JPEG quality 80 to
// `temporaryJpegPath` and drawn into the preview; the bitmap is then made from
// whatever that file holds. `observer` may be null.
FrameResult ProduceFrame(SwfWriter& writer, int32_t index, const std::string& picturePath,
                         const BuildSettings& settings, const PreviewSurface& preview,
                         const std::string& temporaryJpegPath, FrameObserver* observer);
