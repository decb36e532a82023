#include "slideshow/frame_memory.h"

#include <algorithm>
#include <string>

#include "image/picture.h"
#include "slideshow/memory_budget.h"

namespace {

constexpr uint64_t kMebibyte = uint64_t{1} << 20;

std::string MebibytesText(uint64_t bytes) {
    return std::to_string((bytes + kMebibyte - 1) / kMebibyte) + " MiB";
}

}  // namespace

uint64_t FrameFittingBytes(const DecodeCost& cost, const BuildSettings& frame) {
    const uint64_t area = uint64_t{cost.width} * cost.height;
    const uint64_t decoded = PictureRowsBytes(cost.width, cost.height, cost.bpp);
    const uint64_t decodedAlpha = cost.alpha ? area : 0;
    const uint64_t decoding = DecodeBytes(cost);

    // A grey picture stays 8-bit; any other becomes 24-bit beside the one decoded, and
    // a palette whose entries carry alpha gets a plane for it.
    const bool converts = cost.bpp < 24 && !cost.grey;
    const uint32_t fittedBpp = cost.grey ? 8 : 24;
    const uint64_t full = PictureRowsBytes(cost.width, cost.height, fittedBpp);
    const uint64_t fullAlpha = cost.alpha || (converts && cost.bpp <= 8) ? area : 0;
    const uint64_t converting = converts ? SaturatingSum(SaturatingSum(decoded, decodedAlpha),
                                                         SaturatingSum(full, fullAlpha))
                                         : 0;

    // A frame of no size is not stretched to: the JPEG is made of the picture itself.
    uint64_t encoded = full;
    uint64_t stretching = 0;
    if (frame.width > 0 && frame.height > 0) {
        const uint64_t frameArea =
            uint64_t{static_cast<uint32_t>(frame.width)} * static_cast<uint32_t>(frame.height);
        encoded = PictureRowsBytes(static_cast<uint32_t>(frame.width),
                                   static_cast<uint32_t>(frame.height), fittedBpp);
        const uint64_t frameAlpha = fullAlpha != 0 ? frameArea : 0;
        stretching =
            SaturatingSum(SaturatingSum(full, fullAlpha), SaturatingSum(encoded, frameAlpha));
    }
    const uint64_t encoding = SaturatingSum(encoded, encoded);
    return std::max({decoding, converting, stretching, encoding});
}

FrameMemoryShare::FrameMemoryShare(MemoryBudget& budget, const BuildSettings& frame,
                                   const std::atomic<bool>* stop)
    : budget_(budget), frame_(frame), stop_(stop) {}

FrameMemoryShare::~FrameMemoryShare() {
    budget_.Give(held_);
}

bool FrameMemoryShare::Admit(const DecodeCost& cost, Picture& picture) {
    const uint64_t needed = FrameFittingBytes(cost, frame_);
    if (needed > budget_.Total()) {
        picture.SetError(PictureError::kMemoryLimit,
                         ("PICTURE_MAX_MEMORY exceeded: the picture needs " +
                          MebibytesText(needed) + " on its way to a frame, more than the " +
                          MebibytesText(budget_.Total()) + " one picture may take")
                             .c_str());
        return false;
    }
    if (needed <= held_) {
        return true;
    }
    // Nothing is held while waiting, so no two pictures can wait for each other.
    budget_.Give(held_);
    held_ = 0;
    if (!budget_.Take(needed, stop_)) {
        picture.SetError(PictureError::kCancelled);
        return false;
    }
    held_ = needed;
    return true;
}
