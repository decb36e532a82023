// Drawing a picture onto a DrawingSurface, stretched to a rectangle, and the two
// colour samplers that smooth the stretch: bilinear interpolation and the area
// average of a pixel's footprint.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "image/drawing_surface.h"
#include "image/packed_pixels.h"
#include "image/picture.h"

namespace {

// Floating-point sums are truncated to a byte; this nudge keeps a sum that should be
// a whole number (an area of one colour) from losing one to rounding error.
constexpr double kTruncationNudge = 1e-9;

uint8_t TruncateToByte(double value) {
    value += kTruncationNudge;
    if (!(value > 0.0)) {
        return 0;
    }
    if (value >= 255.0) {
        return 255;
    }
    return static_cast<uint8_t>(value);
}

// Read-only view of a picture's stored rows (row 0 at the bottom) for the samplers.
struct SourceView {
    const uint8_t* bits = nullptr;
    size_t stride = 0;
    int64_t width = 0;
    int64_t height = 0;
    int bpp = 24;
    const RgbQuad* palette = nullptr;
    uint32_t colors = 0;
    const uint8_t* alpha = nullptr;  // width bytes per row, or null

    const uint8_t* Row(int64_t y) const { return bits + static_cast<size_t>(y) * stride; }
    const uint8_t* AlphaRow(int64_t y) const {
        return alpha + static_cast<size_t>(y) * static_cast<size_t>(width);
    }
    uint8_t IndexAt(const uint8_t* row, int64_t x) const {
        return PackedIndex(row, static_cast<uint64_t>(x), static_cast<uint32_t>(bpp));
    }
    // Blue, green, red of column x in a stored row; palette indexes past the palette
    // read as black.
    RgbQuad ColorAt(const uint8_t* row, int64_t x) const {
        if (bpp == 24) {
            return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 0};
        }
        const uint8_t index = IndexAt(row, x);
        if (index >= colors) {
            return {};
        }
        RgbQuad color = palette[index];
        color.reserved = 0;
        return color;
    }
    int64_t ClampX(int64_t x) const { return std::clamp<int64_t>(x, 0, width - 1); }
    int64_t ClampY(int64_t y) const { return std::clamp<int64_t>(y, 0, height - 1); }
};

SourceView MakeView(const Picture& picture) {
    SourceView view;
    view.bits = picture.GetBits(0);
    view.stride = picture.GetEffectiveWidth();
    view.width = picture.GetWidth();
    view.height = picture.GetHeight();
    view.bpp = picture.GetBpp();
    view.palette = picture.GetPalette();
    view.colors = view.palette ? picture.GetNumColors() : 0;
    view.alpha = picture.GetAlphaPlane();
    return view;
}

// --- bilinear -------------------------------------------------------------------------

// Where a coordinate falls between two pixels: the lower pixel and the 8-bit
// fixed-point weight of the upper one.
struct FixedPosition {
    int64_t low = 0;
    int weight = 0;
};

FixedPosition FixedPositionOf(float v) {
    const float low = std::floor(v);
    return {static_cast<int64_t>(low), static_cast<int>((v - low) * 256.0f)};
}

// Bilinear colour of a point whose four neighbours all lie inside a 24-bit picture.
RgbQuad BilinearFixed(const SourceView& view, FixedPosition px, FixedPosition py) {
    const int wd = (px.weight * py.weight) >> 8;
    const int wb = px.weight - wd;
    const int wc = py.weight - wd;
    const int wa = 256 - px.weight - py.weight + wd;
    const uint8_t* p00 = view.Row(py.low) + px.low * 3;
    const uint8_t* p01 = view.Row(py.low + 1) + px.low * 3;
    RgbQuad out;
    out.blue = static_cast<uint8_t>((wa * p00[0] + wb * p00[3] + wc * p01[0] + wd * p01[3]) >> 8);
    out.green = static_cast<uint8_t>((wa * p00[1] + wb * p00[4] + wc * p01[1] + wd * p01[4]) >> 8);
    out.red = static_cast<uint8_t>((wa * p00[2] + wb * p00[5] + wc * p01[2] + wd * p01[5]) >> 8);
    if (view.alpha) {
        const uint8_t* a0 = view.AlphaRow(py.low) + px.low;
        const uint8_t* a1 = view.AlphaRow(py.low + 1) + px.low;
        out.reserved =
            static_cast<uint8_t>((wa * a0[0] + wb * a0[1] + wc * a1[0] + wd * a1[1]) >> 8);
    }
    return out;
}

bool BilinearFixedApplies(const SourceView& view, FixedPosition px, FixedPosition py) {
    return view.bpp == 24 && px.low >= 0 && px.low + 1 < view.width && py.low >= 0 &&
           py.low + 1 < view.height;
}

RgbQuad Bilinear(const SourceView& view, float x, float y) {
    if (std::isnan(x)) {
        x = 0.0f;
    }
    if (std::isnan(y)) {
        y = 0.0f;
    }
    const float maxX = static_cast<float>(view.width - 1);
    const float maxY = static_cast<float>(view.height - 1);
    // Farther out than one pixel: the edge pixels repeat, so sample the edge itself.
    if (x < -1.0f || x >= static_cast<float>(view.width) || y < -1.0f ||
        y >= static_cast<float>(view.height)) {
        x = std::clamp(x, 0.0f, maxX);
        y = std::clamp(y, 0.0f, maxY);
    }
    const FixedPosition px = FixedPositionOf(x);
    const FixedPosition py = FixedPositionOf(y);
    if (BilinearFixedApplies(view, px, py)) {
        return BilinearFixed(view, px, py);
    }

    const double t = static_cast<double>(x) - static_cast<double>(px.low);
    const double s = static_cast<double>(y) - static_cast<double>(py.low);
    const double d = t * s;
    const double b = t - d;
    const double c = s - d;
    const double a = 1.0 - t - s + d;
    const int64_t x0 = view.ClampX(px.low);
    const int64_t x1 = view.ClampX(px.low + 1);
    const uint8_t* r0 = view.Row(view.ClampY(py.low));
    const uint8_t* r1 = view.Row(view.ClampY(py.low + 1));
    const RgbQuad q00 = view.ColorAt(r0, x0);
    const RgbQuad q10 = view.ColorAt(r0, x1);
    const RgbQuad q01 = view.ColorAt(r1, x0);
    const RgbQuad q11 = view.ColorAt(r1, x1);
    auto mix = [&](uint8_t v00, uint8_t v10, uint8_t v01, uint8_t v11) {
        return TruncateToByte(a * v00 + b * v10 + c * v01 + d * v11);
    };
    RgbQuad out;
    out.blue = mix(q00.blue, q10.blue, q01.blue, q11.blue);
    out.green = mix(q00.green, q10.green, q01.green, q11.green);
    out.red = mix(q00.red, q10.red, q01.red, q11.red);
    if (view.alpha) {
        const uint8_t* a0 = view.AlphaRow(view.ClampY(py.low));
        const uint8_t* a1 = view.AlphaRow(view.ClampY(py.low + 1));
        out.reserved = mix(a0[x0], a0[x1], a1[x0], a1[x1]);
    }
    return out;
}

// --- area average ---------------------------------------------------------------------

// The pixels one axis of a footprint covers: the first (clamped) pixel and how much of
// each following pixel lies inside. Each pixel is a unit square centred on its
// coordinate; the first and last pixels stand for everything beyond the picture's
// edge, which repeats them.
struct AxisSpan {
    int64_t first = 0;
    size_t offset = 0;  // into the weight array
    size_t count = 0;
    double total = 0.0;
};

AxisSpan BuildAxisSpan(double center, double scale, int64_t size, std::vector<double>& weights) {
    // A footprint wholly beyond an edge covers only the repeated edge pixel, wherever
    // it lies; pulling it close keeps far-off centres from losing their precision.
    center = std::clamp(center, -scale / 2.0 - 1.0, static_cast<double>(size) + scale / 2.0);
    const double low = center - scale / 2.0;
    const double high = center + scale / 2.0;
    const double last = static_cast<double>(size - 1);
    // The pixels whose squares hold the footprint's edges (edge + 0.5, rounded down).
    const auto first = static_cast<int64_t>(std::clamp(std::floor(low + 0.5), 0.0, last));
    const auto end = static_cast<int64_t>(std::clamp(std::floor(high + 0.5), 0.0, last));
    AxisSpan span;
    span.first = first;
    span.offset = weights.size();
    for (int64_t k = first; k <= end; ++k) {
        const double squareLow = k == 0 ? low : static_cast<double>(k) - 0.5;
        const double squareHigh = k == size - 1 ? high : static_cast<double>(k) + 0.5;
        const double covered = std::min(high, squareHigh) - std::max(low, squareLow);
        weights.push_back(covered > 0.0 ? covered : 0.0);
        span.total += weights.back();
    }
    span.count = weights.size() - span.offset;
    return span;
}

RgbQuad AverageSpans(const SourceView& view, const AxisSpan& sx, const double* wx,
                     const AxisSpan& sy, const double* wy) {
    double blue = 0.0, green = 0.0, red = 0.0, alpha = 0.0;
    for (size_t j = 0; j < sy.count; ++j) {
        const int64_t y = sy.first + static_cast<int64_t>(j);
        const uint8_t* row = view.Row(y);
        double rowBlue = 0.0, rowGreen = 0.0, rowRed = 0.0, rowAlpha = 0.0;
        if (view.bpp == 24) {
            const uint8_t* p = row + sx.first * 3;
            for (size_t k = 0; k < sx.count; ++k, p += 3) {
                rowBlue += wx[k] * p[0];
                rowGreen += wx[k] * p[1];
                rowRed += wx[k] * p[2];
            }
        } else {
            for (size_t k = 0; k < sx.count; ++k) {
                const RgbQuad q = view.ColorAt(row, sx.first + static_cast<int64_t>(k));
                rowBlue += wx[k] * q.blue;
                rowGreen += wx[k] * q.green;
                rowRed += wx[k] * q.red;
            }
        }
        if (view.alpha) {
            const uint8_t* a = view.AlphaRow(y) + sx.first;
            for (size_t k = 0; k < sx.count; ++k) {
                rowAlpha += wx[k] * a[k];
            }
        }
        blue += wy[j] * rowBlue;
        green += wy[j] * rowGreen;
        red += wy[j] * rowRed;
        alpha += wy[j] * rowAlpha;
    }
    const double area = sx.total * sy.total;
    if (!(area > 0.0)) {
        return {};
    }
    RgbQuad out{TruncateToByte(blue / area), TruncateToByte(green / area),
                TruncateToByte(red / area), 0};
    if (view.alpha) {
        out.reserved = TruncateToByte(alpha / area);
    }
    return out;
}

// --- drawing --------------------------------------------------------------------------

enum class Sampling { kOneToOne, kNearest, kBilinear, kArea };

// Per-column values of one Draw, computed once and reused for every row.
struct ColumnPlan {
    std::vector<int64_t> nearest;      // source column (1:1 and nearest pixel)
    std::vector<float> position;       // sample x for the smoothing samplers
    std::vector<FixedPosition> fixed;  // bilinear split of `position`
    std::vector<AxisSpan> spans;       // area footprints
    std::vector<double> weights;       // the spans' weights
};

// Where one Draw paints and how it samples: the destination rectangle cut to the clip
// box (the paint box), the scale from destination to source pixels, and the columns.
struct DrawPlan {
    int64_t destY = 0;  // top of the destination rectangle
    int64_t paintLeft = 0;
    int64_t paintTop = 0;
    int64_t paintBottom = 0;
    int64_t destWidth = 0;  // of the paint box
    int64_t destHeight = 0;
    Sampling sampling = Sampling::kNearest;
    float fy = 0.0f;  // source rows per destination row
    float maxY = 0.0f;
    ColumnPlan columns;
};

// The plan step: the paint box, the sampling the scale and `smooth` call for, and the
// source position of every column.
DrawPlan PlanDraw(const SourceView& view, const SurfaceRect& box, int32_t x, int32_t y,
                  int32_t width, int32_t height, bool smooth) {
    DrawPlan plan;
    const int64_t destRight = int64_t{x} + width;
    const int64_t destBottom = int64_t{y} + height;
    plan.destY = y;
    plan.paintTop = std::min<int64_t>(box.bottom, std::max<int64_t>(box.top, y));
    plan.paintLeft = std::min<int64_t>(box.right, std::max<int64_t>(box.left, x));
    const int64_t paintRight = std::max<int64_t>(box.left, std::min<int64_t>(box.right, destRight));
    plan.paintBottom = std::max<int64_t>(box.top, std::min<int64_t>(box.bottom, destBottom));
    plan.destWidth = paintRight - plan.paintLeft;
    plan.destHeight = plan.paintBottom - plan.paintTop;

    const bool sameSize = width == view.width && height == view.height;
    const float fx = static_cast<float>(view.width) / static_cast<float>(width);
    plan.fy = static_cast<float>(view.height) / static_cast<float>(height);
    plan.sampling = Sampling::kNearest;
    if (sameSize) {
        plan.sampling = Sampling::kOneToOne;
    } else if (smooth) {
        plan.sampling = (fx > 1.0f && plan.fy > 1.0f) ? Sampling::kArea : Sampling::kBilinear;
    }
    const float maxX = static_cast<float>(view.width - 1);
    plan.maxY = static_cast<float>(view.height - 1);

    ColumnPlan& columnPlan = plan.columns;
    const auto columns = static_cast<size_t>(plan.destWidth);
    columnPlan.nearest.resize(columns);
    if (plan.sampling == Sampling::kBilinear || plan.sampling == Sampling::kArea) {
        columnPlan.position.resize(columns);
        columnPlan.fixed.resize(columns);
    }
    if (plan.sampling == Sampling::kArea) {
        columnPlan.spans.resize(columns);
    }
    for (size_t c = 0; c < columns; ++c) {
        const int64_t offset = static_cast<int64_t>(c) + plan.paintLeft - x;
        if (plan.sampling == Sampling::kOneToOne) {
            columnPlan.nearest[c] = offset;
            continue;
        }
        const float sourceX = static_cast<float>(offset) * fx;
        columnPlan.nearest[c] = static_cast<int64_t>(std::clamp(std::floor(sourceX), 0.0f, maxX));
        if (plan.sampling == Sampling::kNearest) {
            continue;
        }
        columnPlan.position[c] = sourceX - 0.5f;
        columnPlan.fixed[c] = FixedPositionOf(columnPlan.position[c]);
        if (plan.sampling == Sampling::kArea) {
            columnPlan.spans[c] =
                BuildAxisSpan(columnPlan.position[c], fx, view.width, columnPlan.weights);
        }
    }
    return plan;
}

// One destination row's samples: a colour per column, its fourth byte the alpha to
// blend with, and (when the blend needs them) the palette index under each column.
struct RowSamples {
    std::vector<RgbQuad> colors;
    std::vector<uint8_t> indexes;
    std::vector<double> rowWeights;  // the area sampler's weights down the row
};

// The sample step for destination row r (0 at the top of the paint box).
void SampleRow(const SourceView& view, const DrawPlan& plan, int64_t r, bool needIndex,
               RowSamples& samples) {
    const ColumnPlan& columnPlan = plan.columns;
    const auto columns = static_cast<size_t>(plan.destWidth);
    // The destination row, counted from the top of the destination rectangle.
    const int64_t fromTop = plan.paintBottom - r - 1 - plan.destY;
    int64_t sourceRow;
    float sourceY = 0.0f;
    if (plan.sampling == Sampling::kOneToOne) {
        sourceRow = view.height - 1 - fromTop;
    } else {
        sourceY = static_cast<float>(view.height) - static_cast<float>(fromTop + 1) * plan.fy;
        sourceRow = static_cast<int64_t>(std::clamp(std::floor(sourceY), 0.0f, plan.maxY));
    }
    const uint8_t* row = view.Row(sourceRow);
    std::vector<RgbQuad>& colors = samples.colors;

    switch (plan.sampling) {
        case Sampling::kOneToOne:
        case Sampling::kNearest:
            for (size_t c = 0; c < columns; ++c) {
                colors[c] = view.ColorAt(row, columnPlan.nearest[c]);
            }
            if (view.alpha) {
                const uint8_t* a = view.AlphaRow(sourceRow);
                for (size_t c = 0; c < columns; ++c) {
                    colors[c].reserved = a[columnPlan.nearest[c]];
                }
            }
            break;
        case Sampling::kBilinear: {
            const float sampleY = sourceY - 0.5f;
            const FixedPosition py = FixedPositionOf(sampleY);
            for (size_t c = 0; c < columns; ++c) {
                colors[c] = BilinearFixedApplies(view, columnPlan.fixed[c], py)
                                ? BilinearFixed(view, columnPlan.fixed[c], py)
                                : Bilinear(view, columnPlan.position[c], sampleY);
            }
            break;
        }
        case Sampling::kArea: {
            samples.rowWeights.clear();
            const AxisSpan sy =
                BuildAxisSpan(sourceY - 0.5f, plan.fy, view.height, samples.rowWeights);
            for (size_t c = 0; c < columns; ++c) {
                colors[c] = AverageSpans(view, columnPlan.spans[c],
                                         columnPlan.weights.data() + columnPlan.spans[c].offset, sy,
                                         samples.rowWeights.data());
            }
            break;
        }
    }
    if (needIndex) {
        for (size_t c = 0; c < columns; ++c) {
            samples.indexes[c] = view.IndexAt(row, columnPlan.nearest[c]);
        }
    }
}

// How samples mix with what the surface already shows.
struct BlendRule {
    bool opaque = true;  // no transparency or alpha at all: samples replace the pixels
    int32_t transparentIndex = -1;
    RgbQuad transparentColor;
    uint8_t alphaMax = 255;
    bool alphaPalette = false;  // the palette's fourth bytes scale the alpha
};

// The blend step: one row of samples into one row of the section (blue, green, red).
void BlendRow(const SourceView& view, const BlendRule& rule, const RowSamples& samples,
              uint8_t* out) {
    const std::vector<RgbQuad>& colors = samples.colors;
    const size_t columns = colors.size();
    if (rule.opaque) {
        for (size_t c = 0; c < columns; ++c, out += 3) {
            out[0] = colors[c].blue;
            out[1] = colors[c].green;
            out[2] = colors[c].red;
        }
        return;
    }
    for (size_t c = 0; c < columns; ++c, out += 3) {
        const RgbQuad color = colors[c];
        if (rule.transparentIndex >= 0) {
            const bool isTransparent = view.bpp <= 8
                                           ? samples.indexes[c] == rule.transparentIndex
                                           : (color.blue == rule.transparentColor.blue &&
                                              color.green == rule.transparentColor.green &&
                                              color.red == rule.transparentColor.red);
            if (isTransparent) {
                continue;
            }
        }
        int a = view.alpha ? color.reserved : 255;
        a = ((rule.alphaMax + 1) * a) >> 8;
        if (rule.alphaPalette && samples.indexes[c] < view.colors) {
            a = ((view.palette[samples.indexes[c]].reserved + 1) * a) >> 8;
        }
        if (a == 0) {
            continue;
        }
        if (a == 255) {
            out[0] = color.blue;
            out[1] = color.green;
            out[2] = color.red;
            continue;
        }
        out[0] = static_cast<uint8_t>((color.blue * a + out[0] * (255 - a)) >> 8);
        out[1] = static_cast<uint8_t>((color.green * a + out[1] * (255 - a)) >> 8);
        out[2] = static_cast<uint8_t>((color.red * a + out[2] * (255 - a)) >> 8);
    }
}

// Samples and blends every row of the paint box into a section (read back from the
// surface first unless the picture is opaque) and paints it. A section that cannot be
// made paints nothing.
void PaintPlanned(DrawingSurface& surface, const SourceView& view, const DrawPlan& plan,
                  const BlendRule& rule) {
    SurfaceSection section;
    if (!section.Create(plan.destWidth, plan.destHeight)) {
        return;
    }
    if (!rule.opaque) {
        surface.ReadBack(static_cast<int32_t>(plan.paintLeft), static_cast<int32_t>(plan.paintTop),
                         section);
    }
    const bool needIndex = view.bpp <= 8 && (rule.transparentIndex >= 0 || rule.alphaPalette);
    RowSamples samples;
    samples.colors.resize(static_cast<size_t>(plan.destWidth));
    samples.indexes.resize(needIndex ? static_cast<size_t>(plan.destWidth) : 0);
    for (int64_t r = 0; r < plan.destHeight; ++r) {
        SampleRow(view, plan, r, needIndex, samples);
        BlendRow(view, rule, samples, section.Row(static_cast<int32_t>(r)));
    }
    surface.PaintSection(static_cast<int32_t>(plan.paintLeft), static_cast<int32_t>(plan.paintTop),
                         section);
}

}  // namespace

RgbQuad Picture::InterpolateBilinear(float x, float y) const {
    if (!IsValid()) {
        return {};
    }
    return Bilinear(MakeView(*this), x, y);
}

RgbQuad Picture::AverageArea(float x, float y, float widthScale, float heightScale) const {
    if (!IsValid()) {
        return {};
    }
    // A footprint without area (or a point that is no number) has nothing to
    // average; the bilinear colour of its centre is the sensible answer.
    if (!(widthScale > 0.0f) || !(heightScale > 0.0f) || std::isnan(x) || std::isnan(y) ||
        std::isinf(widthScale) || std::isinf(heightScale)) {
        return InterpolateBilinear(x, y);
    }
    const SourceView view = MakeView(*this);
    std::vector<double> wx, wy;
    const AxisSpan sx = BuildAxisSpan(x, widthScale, view.width, wx);
    const AxisSpan sy = BuildAxisSpan(y, heightScale, view.height, wy);
    return AverageSpans(view, sx, wx.data(), sy, wy.data());
}

int Picture::Draw(DrawingSurface* surface, int32_t x, int32_t y, int32_t width, int32_t height,
                  const SurfaceRect* clip, bool smooth) {
    if (!IsValid() || surface == nullptr || width == 0 || height == 0 || !IsEnabled()) {
        return 0;
    }
    const SourceView view = MakeView(*this);
    if (width < 0) {
        width = static_cast<int32_t>(view.width);
    }
    if (height < 0) {
        height = static_cast<int32_t>(view.height);
    }

    const int savedState = surface->Save();
    if (savedState == 0) {
        return 0;
    }
    SurfaceRect rememberedClip;
    if (clip != nullptr) {
        rememberedClip = surface->GetClipBox();
        surface->IntersectClipRect(*clip);
    }

    const bool sameSize = width == view.width && height == view.height;
    BlendRule rule;
    rule.transparentIndex = GetTransparentIndex();
    rule.transparentColor = GetTransparentColor();
    rule.alphaMax = GetAlphaMax();
    rule.alphaPalette = IsAlphaPaletteEnabled() && view.bpp <= 8;
    rule.opaque = rule.transparentIndex < 0 && view.alpha == nullptr && !IsAlphaPaletteEnabled();

    // Working memory that cannot be had paints nothing, like a section that cannot be
    // created; the surface's state is put back all the same.
    try {
        if (rule.opaque && sameSize) {
            surface->CopyDib(x, y, GetDib(), GetDibSize());
        } else {
            PaintPlanned(*surface, view,
                         PlanDraw(view, surface->GetClipBox(), x, y, width, height, smooth), rule);
        }
    } catch (const std::bad_alloc&) {
    }

    if (clip != nullptr) {
        surface->SelectClipRect(rememberedClip);
    }
    surface->Restore(savedState);
    return 1;
}
