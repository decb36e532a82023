#include "image/ops/picture_fit.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "image/ops/picture_like.h"
#include "image/packed_pixels.h"

namespace {

// round(numerator / denominator) for positive values, halves up, held to 1..limit.
// Sides stay below 2^31, so twice their product fits 64 bits.
int64_t RoundedRatio(int64_t numerator, int64_t denominator, int64_t limit) {
    const uint64_t rounded =
        (2 * static_cast<uint64_t>(numerator) + static_cast<uint64_t>(denominator)) /
        (2 * static_cast<uint64_t>(denominator));
    return std::clamp<int64_t>(static_cast<int64_t>(rounded), 1, limit);
}

// Stored row index (bottom row first) of row `y` counted from the top.
uint32_t StoredRow(const Picture& picture, int64_t y) {
    return static_cast<uint32_t>(picture.GetHeight() - 1 - y);
}

// `part` of `source` into `cropped`, which is made for it.
bool CropInto(Picture& source, const FitRect& part, Picture& cropped) {
    if (!CreatePictureLike(source, cropped, static_cast<uint32_t>(part.width),
                           static_cast<uint32_t>(part.height))) {
        return false;
    }
    const uint32_t bpp = source.GetBpp();
    const size_t rowBytes = cropped.GetEffectiveWidth();
    for (int64_t y = 0; y < part.height; ++y) {
        const uint8_t* from = source.GetBits(StoredRow(source, part.y + y));
        uint8_t* to = cropped.GetBits(StoredRow(cropped, y));
        std::memset(to, 0, rowBytes);
        if (bpp % 8 == 0) {
            const size_t bytes = bpp / 8;
            std::memcpy(to, from + part.x * bytes, static_cast<size_t>(part.width) * bytes);
        } else {
            for (int64_t x = 0; x < part.width; ++x) {
                StorePackedIndex(to, static_cast<uint64_t>(x), bpp,
                                 PackedIndex(from, static_cast<uint64_t>(part.x + x), bpp));
            }
        }
    }
    if (source.HasAlpha()) {
        const int64_t width = source.GetWidth();
        for (int64_t y = 0; y < part.height; ++y) {
            std::memcpy(cropped.GetAlphaPlane() + StoredRow(cropped, y) * part.width,
                        source.GetAlphaPlane() + StoredRow(source, part.y + y) * width + part.x,
                        static_cast<size_t>(part.width));
        }
    }
    return true;
}

bool IsGrey(RgbQuad colour) {
    return colour.red == colour.green && colour.green == colour.blue;
}

// The frame: `scaled` (already at its contained size, 24-bit or grey) at `place` on
// the background, into `frame`.
bool ComposeOnBackground(Picture& scaled, const FitRect& place, int64_t frameWidth,
                         int64_t frameHeight, RgbQuad background, Picture& frame) {
    if (!CreatePictureLike(scaled, frame, static_cast<uint32_t>(frameWidth),
                           static_cast<uint32_t>(frameHeight))) {
        return false;
    }
    frame.DeleteAlpha();
    const size_t bytes = scaled.GetBpp() / 8;
    const size_t rowBytes = frame.GetEffectiveWidth();
    for (int64_t y = 0; y < frameHeight; ++y) {
        uint8_t* row = frame.GetBits(StoredRow(frame, y));
        std::memset(row, 0, rowBytes);
        if (bytes == 1) {
            // A grey ramp palette: the index is the grey level.
            std::memset(row, background.red, static_cast<size_t>(frameWidth));
        } else {
            for (int64_t x = 0; x < frameWidth; ++x) {
                row[3 * x] = background.blue;
                row[3 * x + 1] = background.green;
                row[3 * x + 2] = background.red;
            }
        }
        if (y >= place.y && y < place.y + place.height) {
            std::memcpy(row + place.x * bytes, scaled.GetBits(StoredRow(scaled, y - place.y)),
                        static_cast<size_t>(place.width) * bytes);
        }
    }
    return true;
}

bool Contain(Picture& picture, int64_t frameWidth, int64_t frameHeight, RgbQuad background) {
    const FitRect place =
        ContainedRect(picture.GetWidth(), picture.GetHeight(), frameWidth, frameHeight);
    if (place.width == frameWidth && place.height == frameHeight) {
        return picture.Resample(frameWidth, frameHeight);
    }
    Picture scaled(picture.GetType());
    if (!picture.Resample(place.width, place.height, ResampleMode::kAreaAverageOrBilinear,
                          &scaled)) {
        return false;
    }
    const bool grey = scaled.GetBpp() == 8 && scaled.IsGrayScale() && IsGrey(background);
    Picture frame(picture.GetType());
    if ((!grey && !scaled.IncreaseBpp(24)) ||
        !ComposeOnBackground(scaled, place, frameWidth, frameHeight, background, frame)) {
        picture.SetError(scaled.GetErrorCode(), scaled.GetLastError());
        return false;
    }
    picture.TakeOver(frame);
    return true;
}

bool Cover(Picture& picture, int64_t frameWidth, int64_t frameHeight) {
    const FitRect part =
        CoveredPart(picture.GetWidth(), picture.GetHeight(), frameWidth, frameHeight);
    if (part.width == picture.GetWidth() && part.height == picture.GetHeight()) {
        return picture.Resample(frameWidth, frameHeight);
    }
    Picture cropped(picture.GetType());
    if (!CropInto(picture, part, cropped)) {
        return false;
    }
    if (!cropped.Resample(frameWidth, frameHeight, ResampleMode::kAreaAverageOrBilinear,
                          &picture)) {
        picture.SetError(cropped.GetErrorCode(), cropped.GetLastError());
        return false;
    }
    return true;
}

}  // namespace

FitRect ContainedRect(int64_t pictureWidth, int64_t pictureHeight, int64_t frameWidth,
                      int64_t frameHeight) {
    FitRect place;
    // frameWidth / pictureWidth <= frameHeight / pictureHeight: the width limits.
    if (frameWidth * pictureHeight <= frameHeight * pictureWidth) {
        place.width = frameWidth;
        place.height = RoundedRatio(pictureHeight * frameWidth, pictureWidth, frameHeight);
    } else {
        place.height = frameHeight;
        place.width = RoundedRatio(pictureWidth * frameHeight, pictureHeight, frameWidth);
    }
    place.x = (frameWidth - place.width) / 2;
    place.y = (frameHeight - place.height) / 2;
    return place;
}

FitRect CoveredPart(int64_t pictureWidth, int64_t pictureHeight, int64_t frameWidth,
                    int64_t frameHeight) {
    FitRect part{0, 0, pictureWidth, pictureHeight};
    // pictureWidth / pictureHeight > frameWidth / frameHeight: the sides overflow.
    if (pictureWidth * frameHeight > frameWidth * pictureHeight) {
        part.width = RoundedRatio(pictureHeight * frameWidth, frameHeight, pictureWidth);
        part.x = (pictureWidth - part.width) / 2;
    } else {
        part.height = RoundedRatio(pictureWidth * frameHeight, frameWidth, pictureHeight);
        part.y = (pictureHeight - part.height) / 2;
    }
    return part;
}

bool CropPicture(Picture& picture, const FitRect& part) {
    Picture cropped(picture.GetType());
    if (!CropInto(picture, part, cropped)) {
        return false;
    }
    picture.TakeOver(cropped);
    return true;
}

bool FitPicture(Picture& picture, PictureFit fit, int64_t frameWidth, int64_t frameHeight,
                RgbQuad background) {
    // Whatever Resample refuses, it refuses for every fit; the sizes are then known to
    // stay below 2^31.
    if (!picture.IsValid() || frameWidth <= 0 || frameHeight <= 0 || frameWidth > INT32_MAX ||
        frameHeight > INT32_MAX || fit == PictureFit::kStretch) {
        return picture.Resample(frameWidth, frameHeight);
    }
    return fit == PictureFit::kContain ? Contain(picture, frameWidth, frameHeight, background)
                                       : Cover(picture, frameWidth, frameHeight);
}
