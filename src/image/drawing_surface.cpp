#include "image/drawing_surface.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "image/byte_order.h"
#include "image/packed_pixels.h"
#include "image/picture.h"

namespace {

constexpr size_t kDibHeaderSize = 40;

// Bytes in one stored 24-bit row, padded to 4 bytes; 0 when the size is refused.
size_t Stride24(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) {
        return 0;
    }
    const uint64_t stride = DibRowBytes(static_cast<uint64_t>(width), 24);
    // Surfaces and sections obey the same memory limit as pictures.
    if (stride * static_cast<uint64_t>(height) > kPictureMaxMemory) {
        return 0;
    }
    return static_cast<size_t>(stride);
}

SurfaceRect Intersect(const SurfaceRect& a, const SurfaceRect& b) {
    SurfaceRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
    if (r.IsEmpty()) {
        return {};
    }
    return r;
}

SurfaceRect Normalized(const SurfaceRect& rect) {
    return {std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
            std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
}

// The part of a w x h bitmap placed at (x, y) that the clip box lets through, in
// surface coordinates; computed in 64 bits so that far-off placements cannot wrap.
SurfaceRect VisiblePart(const SurfaceRect& clip, int32_t x, int32_t y, int64_t w, int64_t h) {
    const int64_t left = std::max<int64_t>(clip.left, x);
    const int64_t top = std::max<int64_t>(clip.top, y);
    const int64_t right = std::min<int64_t>(clip.right, x + w);
    const int64_t bottom = std::min<int64_t>(clip.bottom, y + h);
    if (right <= left || bottom <= top) {
        return {};
    }
    return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
            static_cast<int32_t>(bottom)};
}

// Writes `count` pixels of a stored bitmap row, starting at column `first`, as
// blue-green-red triplets. Palette indexes past the palette give black.
void ConvertRow(const uint8_t* row, int bpp, const std::array<uint8_t, 256 * 3>& palette,
                int64_t first, int64_t count, uint8_t* out) {
    if (bpp == 24) {
        std::memcpy(out, row + first * 3, static_cast<size_t>(count) * 3);
        return;
    }
    for (int64_t i = 0; i < count; ++i) {
        const unsigned index =
            PackedIndex(row, static_cast<uint64_t>(first + i), static_cast<uint32_t>(bpp));
        std::memcpy(out + i * 3, palette.data() + index * 3, 3);
    }
}

}  // namespace

bool SurfaceSection::Create(int64_t width, int64_t height) {
    bits_.clear();
    width_ = height_ = 0;
    stride_ = Stride24(width, height);
    if (stride_ == 0) {
        return false;
    }
    bits_.assign(stride_ * static_cast<size_t>(height), 0);
    width_ = static_cast<int32_t>(width);
    height_ = static_cast<int32_t>(height);
    return true;
}

DrawingSurface::DrawingSurface(int32_t width, int32_t height) {
    stride_ = Stride24(width, height);
    if (stride_ == 0) {
        return;
    }
    bits_.assign(stride_ * static_cast<size_t>(height), 0);
    width_ = width;
    height_ = height;
    clip_ = Bounds();
}

SurfaceColor DrawingSurface::GetPixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return {};
    }
    const uint8_t* p = PixelAt(x, y);
    return {p[2], p[1], p[0]};
}

void DrawingSurface::SetPixel(int32_t x, int32_t y, SurfaceColor color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    uint8_t* p = PixelAt(x, y);
    p[0] = color.blue;
    p[1] = color.green;
    p[2] = color.red;
}

void DrawingSurface::Fill(SurfaceColor color) {
    if (bits_.empty()) {
        return;
    }
    // Paint one row, then copy it to the others.
    uint8_t* first = bits_.data();
    for (int32_t x = 0; x < width_; ++x) {
        first[x * 3] = color.blue;
        first[x * 3 + 1] = color.green;
        first[x * 3 + 2] = color.red;
    }
    for (int32_t y = 1; y < height_; ++y) {
        std::memcpy(first + static_cast<size_t>(y) * stride_, first, stride_);
    }
}

void DrawingSurface::IntersectClipRect(const SurfaceRect& rect) {
    clip_ = Intersect(clip_, Normalized(rect));
}

void DrawingSurface::SelectClipRect(const SurfaceRect& rect) {
    clip_ = Intersect(Bounds(), Normalized(rect));
}

int DrawingSurface::Save() {
    if (saved_.size() >= saveLimit_) {
        return 0;
    }
    saved_.push_back({clip_});
    ++counters_.saves;
    return static_cast<int>(saved_.size());
}

bool DrawingSurface::Restore(int id) {
    const int64_t depth = static_cast<int64_t>(saved_.size());
    const int64_t index = id > 0 ? int64_t{id} - 1 : depth + id;
    if (id == 0 || index < 0 || index >= depth) {
        return false;
    }
    clip_ = saved_[static_cast<size_t>(index)].clip;
    saved_.resize(static_cast<size_t>(index));
    ++counters_.restores;
    return true;
}

int DrawingSurface::CopyDib(int32_t x, int32_t y, const uint8_t* dib, size_t dibSize) {
    if (dib == nullptr || dibSize < kDibHeaderSize) {
        return 0;
    }
    const uint32_t headerSize = LoadU32LE(dib);
    const int32_t width = LoadI32LE(dib + 4);
    const int32_t rawHeight = LoadI32LE(dib + 8);
    const int bpp = LoadU16LE(dib + 14);
    const uint32_t compression = LoadU32LE(dib + 16);
    uint32_t colors = LoadU32LE(dib + 32);
    if (headerSize < kDibHeaderSize || headerSize > dibSize || width <= 0 || rawHeight == 0 ||
        rawHeight == INT32_MIN || compression != 0) {
        return 0;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) {
        return 0;
    }
    if (bpp <= 8) {
        if (colors == 0) {
            colors = 1u << bpp;
        }
        if (colors > (1u << bpp)) {
            return 0;
        }
    }
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t{rawHeight} : int64_t{rawHeight};
    const uint64_t stride = DibRowBytes(static_cast<uint64_t>(width), bpp);
    const uint64_t paletteBytes = uint64_t{colors} * 4;
    if (stride * static_cast<uint64_t>(height) > kPictureMaxMemory) {
        return 0;
    }
    const uint64_t needed = headerSize + paletteBytes + stride * static_cast<uint64_t>(height);
    if (needed > dibSize) {
        return 0;
    }

    ++counters_.dibCopies;
    std::array<uint8_t, 256 * 3> palette{};
    if (bpp <= 8) {
        const uint8_t* entry = dib + headerSize;
        for (uint32_t i = 0; i < colors; ++i, entry += 4) {
            std::memcpy(&palette[i * 3], entry, 3);
        }
    }
    const uint8_t* rows = dib + headerSize + paletteBytes;
    const SurfaceRect visible = VisiblePart(clip_, x, y, width, height);
    for (int32_t sy = visible.top; sy < visible.bottom; ++sy) {
        const int64_t fromTop = int64_t{sy} - y;
        const int64_t stored = topDown ? fromTop : height - 1 - fromTop;
        ConvertRow(rows + static_cast<uint64_t>(stored) * stride, bpp, palette,
                   int64_t{visible.left} - x, visible.Width(), PixelAt(visible.left, sy));
    }
    return static_cast<int>(height);
}

int DrawingSurface::PaintSection(int32_t x, int32_t y, const SurfaceSection& section) {
    if (!section.IsValid()) {
        return 0;
    }
    ++counters_.sectionPaints;
    const SurfaceRect visible = VisiblePart(clip_, x, y, section.Width(), section.Height());
    for (int32_t sy = visible.top; sy < visible.bottom; ++sy) {
        const int64_t stored = section.Height() - 1 - (int64_t{sy} - y);
        const uint8_t* row = section.Row(static_cast<int32_t>(stored));
        std::memcpy(PixelAt(visible.left, sy), row + (int64_t{visible.left} - x) * 3,
                    static_cast<size_t>(visible.Width()) * 3);
    }
    return section.Height();
}

void DrawingSurface::ReadBack(int32_t left, int32_t top, SurfaceSection& section) {
    if (!section.IsValid()) {
        return;
    }
    ++counters_.backgroundReads;
    const SurfaceRect visible = VisiblePart(Bounds(), left, top, section.Width(), section.Height());
    for (int32_t sy = visible.top; sy < visible.bottom; ++sy) {
        const int64_t stored = section.Height() - 1 - (int64_t{sy} - top);
        uint8_t* row = section.Row(static_cast<int32_t>(stored));
        std::memcpy(row + (int64_t{visible.left} - left) * 3, PixelAt(visible.left, sy),
                    static_cast<size_t>(visible.Width()) * 3);
    }
}
