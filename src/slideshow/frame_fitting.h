// The first half of a frame, which needs nothing but the picture file and may run on
// any thread: the picture loaded by content, turned upright when asked, made 24-bit
// unless grey, fitted to the frame (stretched unless asked otherwise) and encoded as
// a JPEG of the movie's quality (80 unless asked otherwise), in memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "slideshow/movie_options.h"
#include "slideshow/movie_settings.h"
#include "slideshow/slideshow_events.h"

#include "image/picture.h"

class MemoryBudget;

struct FitOptions {
    // Keep the fitted picture for a preview area (a headless build needs none).
    bool keepPreview = false;
    // Decode JPEG pictures at the smallest reduced scale that still covers the frame
    // (faster, slightly less exact).
    bool fastDecode = false;
    // Raised from another thread to stop a long decode; may be null.
    const std::atomic<bool>* stopFlag = nullptr;
    // Upright, fit, background and quality.
    MovieOptions movie = {};
    // The memory shared by the pictures fitted at the same time (see frame_memory.h);
    // null for none beyond each picture's own limit.
    MemoryBudget* budget = nullptr;
};

struct FittedFrame {
    // kPictureUsed, or kPictureUnreadable for a picture that did not load or could
    // not be made into a JPEG; `reason` then says why.
    FrameOutcome outcome = FrameOutcome::kPictureUsed;
    std::string reason;
    // For a picture used although its data ended early (a truncated file): why it is
    // incomplete. Empty for a whole picture.
    std::string damage;
    // "%d*%d pixels" of the fitted picture; 0*0 pixels when it did not load.
    std::string sizeText;
    // The JPEG file's bytes; empty unless the picture was used.
    std::vector<uint8_t> jpeg;
    // The fitted picture, when asked for and the picture was used.
    std::shared_ptr<Picture> preview;
};

FittedFrame FitPictureToFrame(const std::string& picturePath, const BuildSettings& settings,
                              const FitOptions& options);

// A loaded picture brought to what a frame of width x height shows: turned upright
// when the options say so, made 24-bit unless it is grey, and fitted to the frame as
// the options say. False, with the reason, for a picture that cannot be used (turned
// or made 24-bit past the memory limit). A fit that is refused (a frame side of 0 or
// less, or past the memory limit) leaves the picture at its own size, and is no
// failure. The preview shows what this gives, so it shows what the movie does.
bool FitLoadedPicture(Picture& picture, int32_t width, int32_t height, const MovieOptions& options,
                      std::string& reason);

// The hint for a decode whose picture FitLoadedPicture will fit to width x height:
// the least size that still gives the fitted picture all its detail.
DecodeSizeHint FrameDecodeHint(int32_t width, int32_t height, const MovieOptions& options);
