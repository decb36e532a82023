// The first half of a frame, which needs nothing but the picture file and may run on
// any thread: the picture loaded by content, made 24-bit unless grey, stretched to the
// frame and encoded as a JPEG of quality 80, in memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "slideshow/movie_settings.h"
#include "slideshow/slideshow_events.h"

class MemoryBudget;
class Picture;

struct FitOptions {
    // Keep the fitted picture for a preview area (a headless build needs none).
    bool keepPreview = false;
    // Decode JPEG pictures at the smallest reduced scale that still covers the frame
    // (faster, slightly less exact).
    bool fastDecode = false;
    // Raised from another thread to stop a long decode; may be null.
    const std::atomic<bool>* stopFlag = nullptr;
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
