// What a build or preview run reports while it works. Every event is a value: a
// front end may carry it to another thread and keep it as long as it likes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class Picture;

// Entry `index` of `count` is about to be worked on; `percent` is
// 100 * (index + 1) / count, so it reads 100 while the last entry is processed.
struct EntryStarted {
    int32_t index = 0;
    int32_t count = 0;
    int32_t percent = 0;
};

enum class FrameOutcome {
    kPictureUsed,       // the picture was fitted and became this frame's bitmap
    kPictureUnreadable  // it did not load or could not be made a JPEG; the frame
                        // repeats the last picture that could be used
};

// Entry `index` has been shown: by a build as its frame, by a preview as itself.
struct FrameProduced {
    int32_t index = 0;
    FrameOutcome outcome = FrameOutcome::kPictureUsed;
    std::string path;
    // Why the picture could not be used.
    std::string reason;
    // Why a picture that was used is incomplete (its data ended early); empty when it
    // is whole.
    std::string damage;
    // The "picture size" text: "%d*%d pixels" of what is shown (0*0 pixels when
    // nothing loaded).
    std::string sizeText;
    // What the preview area should show now, stretched over it; null leaves the
    // preview as it is. Handed over: the run keeps no use of it.
    std::shared_ptr<Picture> preview;
};

// Hears a run's events, on the thread the run works on. Both members have empty
// defaults, so a front end only overrides what it shows.
class SlideshowEvents {
  public:
    virtual ~SlideshowEvents() = default;
    virtual void OnEntryStarted(const EntryStarted& event) { (void)event; }
    virtual void OnFrameProduced(FrameProduced event) { (void)event; }
};
