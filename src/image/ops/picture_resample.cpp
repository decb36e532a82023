// Picture::Resample and its default mode: the area-average shrink for 24-bit pictures
// that get smaller in both directions, and bilinear interpolation for everything else.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "image/ops/picture_like.h"
#include "image/ops/picture_resample_modes.h"
#include "image/picture.h"

namespace {

// Weights are integers in thousandths of a source pixel.
constexpr int64_t kAccuracy = 1000;

// (integer)(offset x 1000), held to 0..1000. Within the picture sizes a float counts
// exactly the offset is always below one pixel; the clamp keeps weights sane where
// float positions stop being exact (tens of millions of pixels).
int64_t WeightOf(float offset) {
    const float weight = offset * static_cast<float>(kAccuracy);
    if (!(weight > 0.0f)) {
        return 0;
    }
    if (weight >= static_cast<float>(kAccuracy)) {
        return kAccuracy;
    }
    return static_cast<int64_t>(weight);
}

// First column x (at least `from`, at most `limit`) with (float)x >= end, that is where
// the source pixel straddles the end of the current destination column.
int64_t FirstColumnAtOrPast(float end, int64_t from, int64_t limit) {
    const float first = std::ceil(end);
    if (!(first < static_cast<float>(limit))) {
        return limit;
    }
    return std::max(from, static_cast<int64_t>(first));
}

// Channel sums of a run of whole 24-bit source pixels.
struct RunSums {
    int64_t blue = 0, green = 0, red = 0;
};

// Adds up the pixels from column x up to (not including) column end; pixel and x
// are left just past the run. `Value` is a pixel's byte, or the column sums of
// several whole rows.
template <typename Value>
inline RunSums SumRun(const Value*& pixel, int64_t& x, int64_t end) {
    RunSums sums;
    for (; x < end; ++x, pixel += 3) {
        sums.blue += pixel[0];
        sums.green += pixel[1];
        sums.red += pixel[2];
    }
    return sums;
}

// Adds a run's channel sums, weighted, to the three sums of one destination pixel.
inline void AddRun(int64_t* sums, const RunSums& run, int64_t weight) {
    sums[0] += weight * run.blue;
    sums[1] += weight * run.green;
    sums[2] += weight * run.red;
}

// Adds source values lying wholly inside the current destination row into its sums:
// runs of whole pixels at full weight, the pixel straddling each destination column's
// edge split between the two columns. Everything here is exact integer arithmetic,
// so one call with the column sums of several rows gives the very sums one call per
// row would.
template <typename Value>
void AddWholeRow(const Value* pixel, int64_t oldWidth, int64_t newWidth, float xScale,
                 int64_t* current) {
    int64_t i = 0;  // accumulator position of the current destination column
    int64_t u = 0;  // destination columns finished in this row
    float endX = xScale - 1.0f;
    int64_t x = 0;
    while (x < oldWidth) {
        const int64_t split = u < newWidth ? FirstColumnAtOrPast(endX, x, oldWidth) : oldWidth;
        const RunSums run = SumRun(pixel, x, split);
        AddRun(current + i, run, kAccuracy);
        if (x >= oldWidth) {
            break;
        }
        // This pixel is split between two destination columns.
        const int64_t weightX = WeightOf(static_cast<float>(x) - endX);
        for (int j = 0; j < 3; ++j, ++i) {
            current[i] += (kAccuracy - weightX) * static_cast<int64_t>(pixel[j]);
            current[i + 3] += weightX * static_cast<int64_t>(pixel[j]);
        }
        endX += xScale;
        ++u;
        ++x;
        pixel += 3;
    }
}

// Whole source rows added up column by column before they are spread over the
// destination columns: the spreading, the costly part, then runs once per
// destination row instead of once per source row. 16-bit sums hold 257 rows of 255.
class ColumnSums {
  public:
    static constexpr int kMaxRows = 257;
    // Wider pictures add row by row: their sums could cost more than they save.
    static constexpr int64_t kMaxColumns = int64_t{1} << 22;

    // Empty (and unused) when a row of sums cannot be had.
    explicit ColumnSums(int64_t oldWidth) {
        if (oldWidth > kMaxColumns) {
            return;
        }
        try {
            sums_.assign(3 * static_cast<size_t>(oldWidth), 0);
        } catch (const std::bad_alloc&) {
            sums_.clear();
        }
    }
    bool Usable() const { return !sums_.empty(); }

    void AddRow(const uint8_t* pixels) {
        uint16_t* sums = sums_.data();
        const size_t count = sums_.size();
        for (size_t k = 0; k < count; ++k) {
            sums[k] = static_cast<uint16_t>(sums[k] + pixels[k]);
        }
        ++rows_;
    }
    bool Full() const { return rows_ == kMaxRows; }

    // Spreads the rows added so far into `current` and starts again.
    void Flush(int64_t oldWidth, int64_t newWidth, float xScale, int64_t* current) {
        if (rows_ == 0) {
            return;
        }
        AddWholeRow(sums_.data(), oldWidth, newWidth, xScale, current);
        std::fill(sums_.begin(), sums_.end(), 0);
        rows_ = 0;
    }

  private:
    std::vector<uint16_t> sums_;
    int rows_ = 0;
};

// sum / divisor, truncated and held to 0..255, for one divisor and many sums. A
// 64-bit division costs tens of cycles and there are three per destination pixel;
// a multiplication by the divisor's inverse gives the quotient within one, and one
// comparison makes it exact.
class ByteQuotient {
  public:
    explicit ByteQuotient(int64_t divisor)
        : divisor_(divisor), inverse_(1.0 / static_cast<double>(divisor)) {}

    uint8_t operator()(int64_t sum) const {
        if (sum < divisor_) {
            return 0;
        }
        if (sum / 256 >= divisor_) {
            return 255;
        }
        // Below 256 x divisor the estimate is off by at most one either way.
        int64_t quotient = static_cast<int64_t>(static_cast<double>(sum) * inverse_);
        if (quotient * divisor_ > sum) {
            --quotient;
        } else if ((quotient + 1) * divisor_ <= sum) {
            ++quotient;
        }
        return static_cast<uint8_t>(quotient);
    }

  private:
    int64_t divisor_;
    double inverse_;
};

// The two accumulator rows of a shrink: the destination row being filled (current) and
// what the source row straddling its lower edge leaves for the next one (carry). Three
// sums per destination pixel plus one spare pixel for the weight past the last column.
// The sums are 64-bit: with 32-bit sums a strong shrink (a 4000 x 3000 photo to a
// 28 x 21 frame spreads about 20,000 source pixels, weighted up to 1000 x 255, into one
// sum) would overflow and give wild colours.
class ShrinkAccumulators {
  public:
    ShrinkAccumulators(int64_t newWidth, int64_t divisor)
        : newWidth_(newWidth),
          toByte_(divisor),
          rowA_(3 * static_cast<size_t>(newWidth) + 3, 0),
          rowB_(rowA_.size(), 0),
          current_(rowA_.data()),
          carry_(rowB_.data()) {}

    int64_t* Current() { return current_; }

    // Spreads a source row that straddles the current destination row's lower edge,
    // weightY thousandths of it below: the destination row is complete once it is in,
    // so each straddling pixel finishes a destination pixel, written to `out` at once.
    void SpreadStraddlingRow(const uint8_t* pixel, int64_t oldWidth, float xScale, int64_t weightY,
                             uint8_t* out) {
        int64_t i = 0;  // accumulator position of the current destination column
        int64_t u = 0;  // destination columns finished in this row
        float endX = xScale - 1.0f;
        int64_t x = 0;
        while (x < oldWidth) {
            const int64_t split = u < newWidth_ ? FirstColumnAtOrPast(endX, x, oldWidth) : oldWidth;
            const RunSums run = SumRun(pixel, x, split);
            AddRun(current_ + i, run, kAccuracy - weightY);
            AddRun(carry_ + i, run, weightY);
            if (x >= oldWidth) {
                break;
            }
            // This pixel is split four ways.
            const int64_t weightX = WeightOf(static_cast<float>(x) - endX);
            for (int j = 0; j < 3; ++j, ++i) {
                const int64_t value = pixel[j];
                current_[i] += value * (kAccuracy - weightY) * (kAccuracy - weightX) / kAccuracy;
                *out++ = toByte_(current_[i]);
                carry_[i] += value * weightY * (kAccuracy - weightX) / kAccuracy;
                current_[i + 3] += value * (kAccuracy - weightY) * weightX / kAccuracy;
                // Assigned, not added: this is the first weight of the next column, and
                // the carry row still holds the sums of an earlier destination row.
                carry_[i + 3] = value * weightY * weightX / kAccuracy;
            }
            endX += xScale;
            ++u;
            ++x;
            pixel += 3;
        }
        // Rounding can leave the last column without a straddling pixel; its sums are
        // complete all the same. (Normally at most one column is left; writing all that
        // remain keeps the row whole whatever the rounding did.)
        for (; u < newWidth_; ++u) {
            for (int j = 0; j < 3; ++j, ++i) {
                *out++ = toByte_(current_[i]);
            }
        }
        std::swap(current_, carry_);
        carry_[0] = carry_[1] = carry_[2] = 0;
    }

    // Writes the current sums as a destination row: the last one, when rounding left it
    // unfinished after the last source row.
    void WriteCurrent(uint8_t* out) const {
        for (int64_t k = 0; k < 3 * newWidth_; ++k) {
            out[k] = toByte_(current_[k]);
        }
    }

  private:
    int64_t newWidth_;
    ByteQuotient toByte_;
    std::vector<int64_t> rowA_;
    std::vector<int64_t> rowB_;
    int64_t* current_;
    int64_t* carry_;
};

}  // namespace

void ShrinkAreaAverage(const Picture& source, Picture& target) {
    const auto [oldWidth, oldHeight, newWidth, newHeight, xScale, yScale] = SizesOf(source, target);
    ShrinkAccumulators sums(
        newWidth, std::max<int64_t>(
                      1, static_cast<int64_t>(yScale * xScale * static_cast<float>(kAccuracy))));
    ColumnSums columns(oldWidth);
    int64_t finishedRows = 0;  // destination rows written so far
    float endY = yScale - 1.0f;
    for (int64_t y = 0; y < oldHeight; ++y) {
        if (source.GetEscape() != 0) {
            return;
        }
        const uint8_t* pixel = source.GetBits(static_cast<uint32_t>(y));
        // Once every destination row is done, whatever float rounding still feeds in
        // lands in the spare sums and is never written out.
        if (static_cast<float>(y) < endY || finishedRows >= newHeight) {
            // The whole source row lies inside the current destination row.
            if (!columns.Usable()) {
                AddWholeRow(pixel, oldWidth, newWidth, xScale, sums.Current());
            } else {
                columns.AddRow(pixel);
                if (columns.Full()) {
                    columns.Flush(oldWidth, newWidth, xScale, sums.Current());
                }
            }
            continue;
        }
        columns.Flush(oldWidth, newWidth, xScale, sums.Current());
        sums.SpreadStraddlingRow(pixel, oldWidth, xScale, WeightOf(static_cast<float>(y) - endY),
                                 target.GetBits(static_cast<uint32_t>(finishedRows)));
        ++finishedRows;
        endY += yScale;
    }
    columns.Flush(oldWidth, newWidth, xScale, sums.Current());
    // Rounding can leave the last destination row unfinished after the last source
    // row; its sums are complete. Further rows (possible only where float positions are
    // no longer exact) repeat it rather than stay blank.
    if (finishedRows < newHeight) {
        uint8_t* out = target.GetBits(static_cast<uint32_t>(finishedRows));
        sums.WriteCurrent(out);
        const size_t rowBytes = target.GetEffectiveWidth();
        for (int64_t row = finishedRows + 1; row < newHeight; ++row) {
            std::memcpy(target.GetBits(static_cast<uint32_t>(row)), out, rowBytes);
        }
    }
}

namespace {

// Where new column x samples the old picture: the left neighbour ix, the right one
// ix1 (the last column repeats) and the weight dx of the right one. Positions are
// worked out per pixel rather than kept in a table: a table for a very wide picture
// would cost more memory than the picture itself.
struct BilinearColumn {
    int64_t ix = 0;
    int64_t ix1 = 0;
    float dx = 0.0f;
};

BilinearColumn BilinearColumnOf(int64_t x, float xScale, int64_t xMax) {
    const float fx = static_cast<float>(x) * xScale;
    BilinearColumn column;
    column.ix = std::min(xMax, static_cast<int64_t>(fx));
    column.ix1 = std::min(xMax, column.ix + 1);
    column.dx = fx - static_cast<float>(column.ix);
    return column;
}

// First down between the rows, then across: the byte of one channel.
uint8_t MixBilinear(uint8_t v1, uint8_t v2, uint8_t v3, uint8_t v4, float dx, float dy) {
    const float a = static_cast<float>(v1) + static_cast<float>(v3 - v1) * dy;
    const float b = static_cast<float>(v2) + static_cast<float>(v4 - v2) * dy;
    return static_cast<uint8_t>(a + (b - a) * dx);
}

// One new row of a 24-bit picture (channels 3) or of grey levels (channels 1) from
// the old rows `low` and `high`, dy of the way to `high`.
void BilinearBytesRow(const uint8_t* low, const uint8_t* high, float dy, int channels,
                      int64_t newWidth, float xScale, int64_t xMax, uint8_t* out) {
    for (int64_t x = 0; x < newWidth; ++x) {
        const BilinearColumn column = BilinearColumnOf(x, xScale, xMax);
        const uint8_t* c1 = low + channels * column.ix;
        const uint8_t* c2 = low + channels * column.ix1;
        const uint8_t* c3 = high + channels * column.ix;
        const uint8_t* c4 = high + channels * column.ix1;
        for (int j = 0; j < channels; ++j) {
            *out++ = MixBilinear(c1[j], c2[j], c3[j], c4[j], column.dx, dy);
        }
    }
}

// One new row of another palette picture: the palette colours are interpolated and
// the nearest palette entry is stored.
void BilinearPaletteRow(const Picture& source, int64_t iy, int64_t iy1, float dy, Picture& target,
                        int64_t y, float xScale, int64_t xMax) {
    const int64_t newWidth = target.GetWidth();
    for (int64_t x = 0; x < newWidth; ++x) {
        const BilinearColumn column = BilinearColumnOf(x, xScale, xMax);
        const RgbQuad c1 = source.GetPaletteColor(source.GetPixelIndex(column.ix, iy));
        const RgbQuad c2 = source.GetPaletteColor(source.GetPixelIndex(column.ix1, iy));
        const RgbQuad c3 = source.GetPaletteColor(source.GetPixelIndex(column.ix, iy1));
        const RgbQuad c4 = source.GetPaletteColor(source.GetPixelIndex(column.ix1, iy1));
        RgbQuad color;
        color.blue = MixBilinear(c1.blue, c2.blue, c3.blue, c4.blue, column.dx, dy);
        color.green = MixBilinear(c1.green, c2.green, c3.green, c4.green, column.dx, dy);
        color.red = MixBilinear(c1.red, c2.red, c3.red, c4.red, column.dx, dy);
        target.SetPixelColor(x, y, color);
    }
}

}  // namespace

void ResampleBilinear(const Picture& source, Picture& target) {
    const auto [oldWidth, oldHeight, newWidth, newHeight, xScale, yScale] = SizesOf(source, target);
    const int64_t xMax = oldWidth - 1;
    const int64_t yMax = oldHeight - 1;
    const uint16_t bpp = source.GetBpp();
    // An identity grey palette maps every grey level to the index of the same number,
    // so the nearest-colour search can be skipped: the index is the level.
    const bool greyLevels = bpp == 8 && source.IsGrayScale();

    for (int64_t y = 0; y < newHeight; ++y) {
        if (source.GetEscape() != 0) {
            return;
        }
        const float fy = static_cast<float>(y) * yScale;
        const int64_t iy = std::min(yMax, static_cast<int64_t>(fy));
        const int64_t iy1 = std::min(yMax, iy + 1);
        const float dy = fy - static_cast<float>(iy);
        if (bpp == 24 || greyLevels) {
            BilinearBytesRow(source.GetBits(static_cast<uint32_t>(iy)),
                             source.GetBits(static_cast<uint32_t>(iy1)), dy, bpp == 24 ? 3 : 1,
                             newWidth, xScale, xMax, target.GetBits(static_cast<uint32_t>(y)));
        } else {
            BilinearPaletteRow(source, iy, iy1, dy, target, y, xScale, xMax);
        }
    }
}

namespace {

// kAreaAverageOrBilinear's alpha plane: new alpha (x, y) = old alpha ((integer)(x * horizontal
// scale), (integer)(y * vertical scale)), sample points anchored at the bottom-left corner like the
// colours.
void SampleAlphaFromCorner(const Picture& source, Picture& target) {
    const auto [oldWidth, oldHeight, newWidth, newHeight, xScale, yScale] = SizesOf(source, target);
    const uint8_t* from = source.GetAlphaPlane();
    uint8_t* to = target.GetAlphaPlane();
    for (int64_t y = 0; y < newHeight; ++y) {
        const int64_t sourceRow =
            std::min(oldHeight - 1, static_cast<int64_t>(static_cast<float>(y) * yScale));
        const uint8_t* row = from + sourceRow * oldWidth;
        for (int64_t x = 0; x < newWidth; ++x) {
            *to++ =
                row[std::min(oldWidth - 1, static_cast<int64_t>(static_cast<float>(x) * xScale))];
        }
    }
}

// A shrink in both directions of a 24-bit picture takes the area average: its two
// accumulator rows hold 48 bytes per destination column, held to the memory limit.
bool ShrinksByAreaAverage(const Picture& picture, ResampleMode mode, int64_t newWidth,
                          int64_t newHeight) {
    return mode == ResampleMode::kAreaAverageOrBilinear && newWidth < picture.GetWidth() &&
           newHeight < picture.GetHeight() && picture.GetBpp() == 24;
}

void RunResampleKernel(const Picture& source, Picture& result, ResampleMode mode, bool shrink) {
    switch (mode) {
        case ResampleMode::kNearest:
            ResampleNearest(source, result);
            return;
        case ResampleMode::kBicubic:
            ResampleBicubic(source, result);
            return;
        case ResampleMode::kAreaAverageOrBilinear:
            break;
    }
    if (shrink) {
        ShrinkAreaAverage(source, result);
    } else {
        ResampleBilinear(source, result);
    }
    if (source.HasAlpha()) {
        SampleAlphaFromCorner(source, result);
    }
}

}  // namespace

bool Picture::Resample(int64_t newWidth, int64_t newHeight, ResampleMode mode,
                       Picture* destination) {
    if (!IsValid() || newWidth <= 0 || newHeight <= 0) {
        return false;
    }
    if (destination == this) {
        destination = nullptr;
    }
    if (newWidth == header_.width && newHeight == header_.height) {
        if (destination != nullptr && !destination->Copy(*this)) {
            SetError(destination->GetErrorCode(), destination->GetLastError());
            return false;
        }
        return true;
    }
    // The header keeps signed 32-bit sizes; anything wider could never be allocated.
    const bool shrink = ShrinksByAreaAverage(*this, mode, newWidth, newHeight);
    if (newWidth > INT32_MAX || newHeight > INT32_MAX ||
        (shrink &&
         2 * (3 * static_cast<uint64_t>(newWidth) + 3) * sizeof(int64_t) > GetMemoryLimit())) {
        SetError(PictureError::kMemoryLimit);
        return false;
    }
    Picture result(GetType());
    if (!CreatePictureLike(*this, result, static_cast<uint32_t>(newWidth),
                           static_cast<uint32_t>(newHeight))) {
        return false;
    }
    // The accumulator rows are the only memory besides the new picture; without it the
    // picture stays as it was.
    try {
        RunResampleKernel(*this, result, mode, shrink);
    } catch (const std::bad_alloc&) {
        SetError(PictureError::kOutOfMemory);
        return false;
    }
    // The result carries the information copied before the work started; the escape
    // value is this picture's own.
    result.SetEscape(Information().escape);
    (destination != nullptr ? *destination : *this).TakeOver(result);
    return true;
}
