// What a picture costs on its way to a frame, and its share of the build's memory
// budget, taken as soon as its decoder knows the cost.
#pragma once

#include <atomic>
#include <cstdint>

#include "image/decode_cost.h"
#include "slideshow/movie_settings.h"

class MemoryBudget;
class Picture;

// The most memory the fitting of one picture holds at once, from its decoder's cost:
// the largest of its steps, each counting what lives side by side in it. Decoding:
// the picture, its alpha plane and the decoder's buffers. Turning a palette picture
// into 24 bits: both pictures. Stretching to the frame: the 24-bit picture and the
// frame. Encoding: the frame (or, with a frame of no size, the picture itself) and its
// JPEG, counted at the size of the pixels it encodes. Buffers of a few rows and the
// libraries' own pools are left out: a few megabytes a thread.
uint64_t FrameFittingBytes(const DecodeCost& cost, const BuildSettings& frame);

// A picture's share of the budget: admits its decoding once the whole fitting fits
// beside what other pictures hold (waiting for it), refuses a picture whose fitting
// alone passes the whole budget, and gives the share back when destroyed. A second
// decoder of the same picture (the search by content) takes the larger share.
class FrameMemoryShare final : public DecodeAdmission {
  public:
    // `stop` (may be null) ends a wait for memory.
    FrameMemoryShare(MemoryBudget& budget, const BuildSettings& frame,
                     const std::atomic<bool>* stop);
    ~FrameMemoryShare() override;
    FrameMemoryShare(const FrameMemoryShare&) = delete;
    FrameMemoryShare& operator=(const FrameMemoryShare&) = delete;

    bool Admit(const DecodeCost& cost, Picture& picture) override;

  private:
    MemoryBudget& budget_;
    const BuildSettings frame_;
    const std::atomic<bool>* stop_;
    uint64_t held_ = 0;
};
