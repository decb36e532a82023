// Why a picture operation failed: a code that callers branch on, and the text that
// users read, set together by Picture::SetError. Most codes have one fixed text
// (PictureErrorText); the system's reasons and the messages of libjpeg, libpng and
// libheif come with their own.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PictureError : uint8_t {
    kNone,
    // The picture object and its operations.
    kEmptySize,          // Create with a width or height of 0
    kMemoryLimit,        // past the picture's memory limit
    kCreateOutOfMemory,  // the pixels or planes could not be allocated
    kOutOfMemory,        // a decoder's or Resample's working memory
    kCancelled,          // the escape value (or the stop flag) stopped the work
    kRowsMissing,        // damage of a picture kept all the same: its data ended early
    // Files, formats and the codec libraries.
    kNullFile,
    kSystem,          // the system's reason: the file could not be opened
    kNotRegularFile,  // a pipe, device or socket, which is never opened
    kUnknownFormat,
    kSaveIncomplete,
    kEncodeNotSupported,
    kEncodeUnknownFormat,
    kCodecLibrary,  // libjpeg's, libpng's or libheif's own message
    kReadError,
    // One decoder's or encoder's refusals.
    kNotBmp,
    kBmpHeaderUnreadable,
    kBmpCompressionNotSupported,
    kBmpUnknownCompression,
    kGifCorrupted,
    kGifFrameOutOfRange,
    kIcoCorrupted,
    kIcoFrameOutOfRange,
    kJpegTooManyScans,
    kJpegPrematureEnd,  // damage of a picture kept all the same, libjpeg's own words
    kJpegColorComponents,
    kJpegNoProgress,
    kJpegNoPicture,
    kJpegNotRgbOrGrey,
    kNotPng,
    kPngColorType,
    kPngRowSize,
    kNotTga,
    kTgaImageType,
    kTgaBadHeader,
    kTgaCreateFailed,
    kTgaCorrupted,
    kNotWebp,
    kWebpCorrupted,
    kWebpTruncated,
    kWebpUnsupported,
    kNotHeif,
};

// The fixed text of a code; empty for kNone and for the codes whose text comes from
// elsewhere (kSystem, kCodecLibrary).
const char* PictureErrorText(PictureError code);

inline constexpr size_t kLastErrorCapacity = 256;

// A picture's last error: its code and its text of at most 255 characters.
struct PictureLastError {
    PictureError code = PictureError::kNone;
    char text[kLastErrorCapacity] = {};
};
