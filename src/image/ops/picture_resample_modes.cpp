// The resampling modes the slideshow never selects: nearest pixel (kNearest) and
// bicubic (kBicubic). Both sample at pixel centres, so a picture keeps its place when
// it is scaled, and both carry the alpha plane along with the same filter.
#include <algorithm>
#include <array>
#include <cmath>

#include "image/ops/picture_resample_modes.h"
#include "image/picture.h"

namespace {

// Source position under the centre of destination pixel `to`, in whole pixels.
int64_t CentreSample(int64_t to, int64_t oldSize, int64_t newSize) {
    return std::min(oldSize - 1, (2 * to + 1) * oldSize / (2 * newSize));
}

// Four source positions and their Catmull-Rom weights for one destination position.
// Worked out where needed rather than tabled: a table for a very wide target would
// cost more memory than the picture.
struct CubicTaps {
    std::array<int64_t, 4> position;
    std::array<double, 4> weight;
};

CubicTaps CubicTapsFor(int64_t to, int64_t oldSize, int64_t newSize) {
    const double scale = static_cast<double>(oldSize) / static_cast<double>(newSize);
    const double centre = (static_cast<double>(to) + 0.5) * scale - 0.5;
    const double base = std::floor(centre);
    const double t = centre - base;
    CubicTaps taps;
    taps.weight = {((-0.5 * t + 1.0) * t - 0.5) * t, (1.5 * t - 2.5) * t * t + 1.0,
                   ((-1.5 * t + 2.0) * t + 0.5) * t, (0.5 * t - 0.5) * t * t};
    for (int k = 0; k < 4; ++k) {
        taps.position[k] = std::clamp<int64_t>(static_cast<int64_t>(base) - 1 + k, 0, oldSize - 1);
    }
    return taps;
}

uint8_t RoundToByte(double value) {
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Filters 4 x 4 samples, fetched by sample(column, row index 0-3, channel).
template <typename Sample>
uint8_t Cubic(const CubicTaps& across, const CubicTaps& down, int channel, Sample sample) {
    double sum = 0.0;
    for (int r = 0; r < 4; ++r) {
        double row = 0.0;
        for (int k = 0; k < 4; ++k) {
            row += across.weight[k] * sample(across.position[k], r, channel);
        }
        sum += down.weight[r] * row;
    }
    return RoundToByte(sum);
}

}  // namespace

void ResampleNearest(const Picture& source, Picture& target) {
    const auto [oldWidth, oldHeight, newWidth, newHeight, xScale, yScale] = SizesOf(source, target);
    const uint16_t bpp = source.GetBpp();
    const bool alpha = source.HasAlpha() && target.HasAlpha();

    for (int64_t y = 0; y < newHeight; ++y) {
        if (source.GetEscape() != 0) {
            return;
        }
        const int64_t sourceRow = CentreSample(y, oldHeight, newHeight);
        const uint8_t* from = source.GetBits(static_cast<uint32_t>(sourceRow));
        uint8_t* to = target.GetBits(static_cast<uint32_t>(y));
        const uint8_t* alphaFrom = alpha ? source.GetAlphaPlane() + sourceRow * oldWidth : nullptr;
        uint8_t* alphaTo = alpha ? target.GetAlphaPlane() + y * newWidth : nullptr;
        for (int64_t x = 0; x < newWidth; ++x) {
            const int64_t sourceColumn = CentreSample(x, oldWidth, newWidth);
            if (bpp == 24) {
                for (int j = 0; j < 3; ++j) {
                    to[3 * x + j] = from[3 * sourceColumn + j];
                }
            } else if (bpp == 8) {
                to[x] = from[sourceColumn];
            } else {
                // Packed pixels: the palette is the same, so indexes copy as they are.
                target.SetPixelIndex(x, y, source.GetPixelIndex(sourceColumn, sourceRow));
            }
            if (alpha) {
                alphaTo[x] = alphaFrom[sourceColumn];
            }
        }
    }
}

void ResampleBicubic(const Picture& source, Picture& target) {
    const auto [oldWidth, oldHeight, newWidth, newHeight, xScale, yScale] = SizesOf(source, target);
    const uint16_t bpp = source.GetBpp();
    const bool alpha = source.HasAlpha() && target.HasAlpha();
    // An identity grey palette stores each grey level at the index of the same number.
    const bool greyLevels = bpp == 8 && source.IsGrayScale();

    for (int64_t y = 0; y < newHeight; ++y) {
        if (source.GetEscape() != 0) {
            return;
        }
        const CubicTaps down = CubicTapsFor(y, oldHeight, newHeight);
        std::array<const uint8_t*, 4> rows{};
        std::array<const uint8_t*, 4> alphaRows{};
        for (int r = 0; r < 4; ++r) {
            rows[r] = source.GetBits(static_cast<uint32_t>(down.position[r]));
            if (alpha) {
                alphaRows[r] = source.GetAlphaPlane() + down.position[r] * oldWidth;
            }
        }
        uint8_t* out = target.GetBits(static_cast<uint32_t>(y));

        for (int64_t x = 0; x < newWidth; ++x) {
            const CubicTaps across = CubicTapsFor(x, oldWidth, newWidth);
            if (bpp == 24) {
                auto sample = [&rows](int64_t column, int r, int channel) {
                    return rows[r][3 * column + channel];
                };
                for (int j = 0; j < 3; ++j) {
                    out[3 * x + j] = Cubic(across, down, j, sample);
                }
            } else if (greyLevels) {
                auto sample = [&rows](int64_t column, int r, int) { return rows[r][column]; };
                out[x] = Cubic(across, down, 0, sample);
            } else {
                // Other palette pictures are filtered in colour; the nearest palette entry
                // is stored.
                auto sample = [&source, &down](int64_t column, int r, int channel) {
                    const RgbQuad c =
                        source.GetPaletteColor(source.GetPixelIndex(column, down.position[r]));
                    return channel == 0 ? c.blue : channel == 1 ? c.green : c.red;
                };
                const RgbQuad colour{Cubic(across, down, 0, sample), Cubic(across, down, 1, sample),
                                     Cubic(across, down, 2, sample), 0};
                target.SetPixelColor(x, y, colour);
            }
            if (alpha) {
                auto sample = [&alphaRows](int64_t column, int r, int) {
                    return alphaRows[r][column];
                };
                target.GetAlphaPlane()[y * newWidth + x] = Cubic(across, down, 0, sample);
            }
        }
    }
}
