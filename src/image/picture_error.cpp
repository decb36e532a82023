// Every fixed text a picture operation fails with, in one table.
#include "image/picture_error.h"

namespace {

struct ErrorText {
    PictureError code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {PictureError::kEmptySize, "Picture::Create : width and height must be greater than zero"},
    {PictureError::kMemoryLimit, "PICTURE_MAX_MEMORY exceeded"},
    {PictureError::kCreateOutOfMemory, "Picture::Create can't allocate memory"},
    {PictureError::kOutOfMemory, "can't allocate memory"},
    {PictureError::kCancelled, "Cancelled"},
    {PictureError::kRowsMissing, "the picture's data ends before its last row"},
    {PictureError::kNullFile, "null file handler"},
    {PictureError::kNotRegularFile, "Not a regular file"},
    {PictureError::kUnknownFormat, "Decode: Unknown or wrong format"},
    {PictureError::kSaveIncomplete, "Save: the file could not be written completely"},
    {PictureError::kEncodeNotSupported, "Encode: saving in this format is not supported"},
    {PictureError::kEncodeUnknownFormat, "Encode: Unknown format"},
    {PictureError::kReadError, "Read Error"},
    {PictureError::kNotBmp, "Not a BMP"},
    {PictureError::kBmpHeaderUnreadable, "Error reading BMP info"},
    {PictureError::kBmpCompressionNotSupported, "compression type not supported"},
    {PictureError::kBmpUnknownCompression, "unknown compression"},
    {PictureError::kGifCorrupted, "corrupted GIF"},
    {PictureError::kGifFrameOutOfRange, "GIF frame number out of range"},
    {PictureError::kIcoCorrupted, "corrupted ICO"},
    {PictureError::kIcoFrameOutOfRange, "ICO frame number out of range"},
    {PictureError::kJpegTooManyScans, "JPEG file has too many scans"},
    {PictureError::kJpegPrematureEnd, "Premature end of JPEG file"},
    {PictureError::kJpegColorComponents, "unsupported JPEG colour components"},
    {PictureError::kJpegNoProgress, "JPEG decoder made no progress"},
    {PictureError::kJpegNoPicture, "null image!!!"},
    {PictureError::kJpegNotRgbOrGrey, "JPEG can save only RGB or GreyScale images"},
    {PictureError::kNotPng, "Not a PNG file"},
    {PictureError::kPngColorType, "unknown PNG color type"},
    {PictureError::kPngRowSize, "PNG row size does not match the picture"},
    {PictureError::kNotTga, "Not a TGA"},
    {PictureError::kTgaImageType, "Unknown TGA image type"},
    {PictureError::kTgaBadHeader, "bad TGA header"},
    {PictureError::kTgaCreateFailed, "TGA Create failed"},
    {PictureError::kTgaCorrupted, "corrupted TGA"},
    {PictureError::kNotWebp, "Not a WebP file"},
    {PictureError::kWebpCorrupted, "corrupted WebP"},
    {PictureError::kWebpTruncated, "WebP file is truncated"},
    {PictureError::kWebpUnsupported, "WebP feature not supported"},
    {PictureError::kNotHeif, "Not a HEIF file"},
};

}  // namespace

const char* PictureErrorText(PictureError code) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return "";
}
