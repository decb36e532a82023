#include "slideshow/preview_fade.h"

#include <algorithm>

namespace {

// `source` as a frame's picture of width x height: 24-bit, stretched, no alpha.
bool FrameCopy(const Picture& source, int32_t width, int32_t height, Picture& copy) {
    if (!copy.Copy(source) || (copy.GetBpp() != 24 && !copy.IncreaseBpp(24))) {
        return false;
    }
    copy.DeleteAlpha();
    if (copy.GetWidth() == static_cast<uint32_t>(width) &&
        copy.GetHeight() == static_cast<uint32_t>(height)) {
        return true;
    }
    return copy.Resample(width, height);
}

}  // namespace

bool PreviewFade::Prepare(const Picture& under, const Picture& over, int32_t width,
                          int32_t height) {
    return width > 0 && height > 0 && FrameCopy(under, width, height, under_) &&
           FrameCopy(over, width, height, over_);
}

std::shared_ptr<Picture> PreviewFade::Blend(int32_t alphaTerm) const {
    const uint32_t alpha = static_cast<uint32_t>(std::clamp(alphaTerm, 0, 256));
    auto blended = std::make_shared<Picture>();
    if (!over_.IsValid() || !under_.IsValid() || !blended->Copy(over_)) {
        return nullptr;
    }
    const size_t rowBytes = size_t{3} * over_.GetWidth();
    for (uint32_t row = 0; row < over_.GetHeight(); ++row) {
        const uint8_t* top = over_.GetBits(row);
        const uint8_t* below = under_.GetBits(row);
        uint8_t* out = blended->GetBits(row);
        for (size_t i = 0; i < rowBytes; ++i) {
            out[i] = static_cast<uint8_t>((top[i] * alpha + below[i] * (256 - alpha) + 128) >> 8);
        }
    }
    return blended;
}
