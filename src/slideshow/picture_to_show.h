// A clicked row's picture for the preview area, read so that a large photo costs the
// window little: its size from the file's header, and its pixels decoded at the
// reduced scale that still covers the area. Both may run on a worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "slideshow/picture_metrics.h"

struct PictureHeaderSize {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const PictureHeaderSize&, const PictureHeaderSize&) = default;
};

// The size a JPEG (its first frame header) or PNG (its IHDR) file states, read without
// decoding; nothing for other formats, a header that cannot be read, a size of 0, or
// a path that is no regular file. With `upright`, a JPEG whose EXIF orientation is a
// quarter turn gives its upright size (its sides swapped).
std::optional<PictureHeaderSize> ReadPictureHeaderSize(const std::string& path,
                                                       bool upright = false);

// The picture at `path` as the preview area of areaWidth x areaHeight pixels shows it,
// found by content like any picture. When `headerSize` is known (ReadPictureHeaderSize)
// a JPEG is decoded at the smallest scale that still covers the area, and the width,
// height and size text are the header's; otherwise they are the decoded picture's.
// A picture larger than the area comes back resampled to the area's size, ready to be
// drawn over it at little cost.
// Only regular files are read (a pipe would never end). `stop` (may be null) ends a
// decode that is no longer wanted. With `upright` a photo is turned upright by its
// EXIF orientation (and `headerSize` must be the upright one). A picture that did
// not load gives a null picture, 0 by 0 and "0*0 pixels".
ShownPicture LoadPictureForArea(const std::string& path, int32_t areaWidth, int32_t areaHeight,
                                std::optional<PictureHeaderSize> headerSize,
                                const std::atomic<bool>* stop = nullptr, bool upright = false);
