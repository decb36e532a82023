// One list entry becomes one movie frame: picture file -> picture object -> temporary
// JPEG file -> bitmap definition, a frame-sized shape filled with it, its placement
// and a ShowFrame.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "slideshow/movie_settings.h"
#include "slideshow/slideshow_events.h"

class SwfWriter;

// How a frame is produced beyond the settings.
struct FrameOptions {
    // Hand the fitted picture out for the preview area (a headless build needs none).
    bool keepPreview = false;
    // Raised from another thread to stop a long decode; may be null.
    const std::atomic<bool>* stopFlag = nullptr;
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
// 24-bit unless grey, stretched to the frame and saved as JPEG quality 80 to
// `temporaryJpegPath`; the bitmap is then made from whatever that file holds. The
// result tells what became of the picture, with its size text and, when asked for,
// the fitted picture for the preview area.
FrameProduced ProduceFrame(SwfWriter& writer, int32_t index, const std::string& picturePath,
                           const BuildSettings& settings, const std::string& temporaryJpegPath,
                           const FrameOptions& options);
