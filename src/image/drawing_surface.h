// DrawingSurface: the in-memory stand-in for a window's drawing context. It holds a
// 24-bit picture of the window (rows bottom-up, padded to 4 bytes, blue-green-red),
// a clip box, a stack of saved states, and counters of the drawing calls it served,
// so that a test can tell a bitmap copied straight onto it from one painted through a
// working section. Coordinates are window coordinates: x to the right, y downwards
// from the top-left corner; rectangles exclude their right and bottom edges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

struct SurfaceRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int64_t Width() const { return static_cast<int64_t>(right) - left; }
    int64_t Height() const { return static_cast<int64_t>(bottom) - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const SurfaceRect&, const SurfaceRect&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const SurfaceRect& rect) {
    return out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom
               << "}";
}

struct SurfaceColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const SurfaceColor&, const SurfaceColor&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const SurfaceColor& color) {
    return out << "rgb(" << int{color.red} << ", " << int{color.green} << ", " << int{color.blue}
               << ")";
}

// How often each drawing call was served since the surface was made (or the counters
// were reset).
struct SurfaceCounters {
    int dibCopies = 0;        // whole device-independent bitmaps copied straight on
    int sectionPaints = 0;    // working sections painted
    int backgroundReads = 0;  // rectangles read back into a working section
    int saves = 0;
    int restores = 0;
};

// A 24-bit bottom-up working bitmap (blue, green, red; rows padded to 4 bytes) that a
// picture is sampled into before it is painted onto a surface in one call.
class SurfaceSection {
  public:
    SurfaceSection() = default;
    // Makes a zero-filled section; false (and empty) for a size of 0 or less or one
    // past the picture memory limit.
    bool Create(int64_t width, int64_t height);
    bool IsValid() const { return !bits_.empty(); }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    size_t RowStride() const { return stride_; }
    // Start of stored row `row` (0 = bottom row).
    uint8_t* Row(int32_t row) { return bits_.data() + static_cast<size_t>(row) * stride_; }
    const uint8_t* Row(int32_t row) const {
        return bits_.data() + static_cast<size_t>(row) * stride_;
    }

  private:
    std::vector<uint8_t> bits_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    size_t stride_ = 0;
};

class DrawingSurface {
  public:
    // A black surface; a size of 0 or less, or one past the picture memory limit,
    // gives an empty surface on which every drawing call paints nothing.
    DrawingSurface(int32_t width, int32_t height);

    bool IsValid() const { return !bits_.empty(); }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    size_t RowStride() const { return stride_; }
    // The stored rows, bottom row first, for a front end that shows the surface.
    const uint8_t* Pixels() const { return bits_.data(); }

    // Reads and writes single pixels (outside the surface: black / ignored); the
    // writes ignore the clip box, as they prepare what the window already shows.
    SurfaceColor GetPixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, SurfaceColor color);
    void Fill(SurfaceColor color);

    // --- clipping and state ---------------------------------------------------------
    SurfaceRect GetClipBox() const { return clip_; }
    // Narrows the clip box to its overlap with `rect`.
    void IntersectClipRect(const SurfaceRect& rect);
    // Replaces the clip box with `rect`, kept inside the surface.
    void SelectClipRect(const SurfaceRect& rect);
    // Pushes the current state; returns its id (1 for the first saved state), or 0
    // when the stack is full.
    int Save();
    // Restores the state saved under `id` and drops it and every later one; a
    // negative id counts back from the most recent (-1). False for an unknown id.
    bool Restore(int id);
    void SetSaveLimit(size_t limit) { saveLimit_ = limit; }

    // --- painting -------------------------------------------------------------------
    // Copies a whole packed device-independent bitmap (40-byte header, palette, rows)
    // of 1, 4, 8 or 24 bits per pixel with its top-left corner at (x, y), honouring
    // the clip box. Returns the number of bitmap rows, or 0 when the block is
    // malformed or shorter than its header says.
    int CopyDib(int32_t x, int32_t y, const uint8_t* dib, size_t dibSize);
    // Paints a working section with its top-left corner at (x, y), honouring the clip
    // box. Returns the number of section rows (0 for an empty section).
    int PaintSection(int32_t x, int32_t y, const SurfaceSection& section);
    // Copies what the surface shows in the rectangle at (left, top) of the section's
    // size into the section (the background a blend starts from); parts outside the
    // surface are left as they were.
    void ReadBack(int32_t left, int32_t top, SurfaceSection& section);

    const SurfaceCounters& Counters() const { return counters_; }

  private:
    struct State {
        SurfaceRect clip;
    };

    SurfaceRect Bounds() const { return {0, 0, width_, height_}; }
    uint8_t* PixelAt(int32_t x, int32_t y) {
        return bits_.data() + static_cast<size_t>(height_ - 1 - y) * stride_ +
               static_cast<size_t>(x) * 3;
    }
    const uint8_t* PixelAt(int32_t x, int32_t y) const {
        return bits_.data() + static_cast<size_t>(height_ - 1 - y) * stride_ +
               static_cast<size_t>(x) * 3;
    }

    std::vector<uint8_t> bits_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    size_t stride_ = 0;
    SurfaceRect clip_;
    std::vector<State> saved_;
    size_t saveLimit_ = 256;
    SurfaceCounters counters_;
};
