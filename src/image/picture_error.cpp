// Every fixed text a picture operation fails with, in one table.
#include "image/picture_error.h"

const char* PictureErrorText(PictureError code) {
    switch (code) {
        case PictureError::kNone:
        case PictureError::kSystem:
        case PictureError::kCodecLibrary:
            return "";
        case PictureError::kEmptySize:
            return "Picture::Create : width and height must be greater than zero";
        case PictureError::kMemoryLimit:
            return "PICTURE_MAX_MEMORY exceeded";
        case PictureError::kCreateOutOfMemory:
            return "Picture::Create can't allocate memory";
        case PictureError::kOutOfMemory:
            return "can't allocate memory";
        case PictureError::kCancelled:
            return "Cancelled";
        case PictureError::kNullFile:
            return "null file handler";
        case PictureError::kUnknownFormat:
            return "Decode: Unknown or wrong format";
        case PictureError::kSaveIncomplete:
            return "Save: the file could not be written completely";
        case PictureError::kEncodeNotSupported:
            return "Encode: saving in this format is not supported";
        case PictureError::kEncodeUnknownFormat:
            return "Encode: Unknown format";
        case PictureError::kReadError:
            return "Read Error";
        case PictureError::kNotBmp:
            return "Not a BMP";
        case PictureError::kBmpHeaderUnreadable:
            return "Error reading BMP info";
        case PictureError::kBmpCompressionNotSupported:
            return "compression type not supported";
        case PictureError::kBmpUnknownCompression:
            return "unknown compression";
        case PictureError::kGifCorrupted:
            return "corrupted GIF";
        case PictureError::kGifFrameOutOfRange:
            return "GIF frame number out of range";
        case PictureError::kIcoCorrupted:
            return "corrupted ICO";
        case PictureError::kIcoFrameOutOfRange:
            return "ICO frame number out of range";
        case PictureError::kJpegTooManyScans:
            return "JPEG file has too many scans";
        case PictureError::kJpegColorComponents:
            return "unsupported JPEG colour components";
        case PictureError::kJpegNoProgress:
            return "JPEG decoder made no progress";
        case PictureError::kJpegNoPicture:
            return "null image!!!";
        case PictureError::kJpegNotRgbOrGrey:
            return "JPEG can save only RGB or GreyScale images";
        case PictureError::kNotPng:
            return "Not a PNG file";
        case PictureError::kPngColorType:
            return "unknown PNG color type";
        case PictureError::kPngRowSize:
            return "PNG row size does not match the picture";
        case PictureError::kNotTga:
            return "Not a TGA";
        case PictureError::kTgaImageType:
            return "Unknown TGA image type";
        case PictureError::kTgaBadHeader:
            return "bad TGA header";
        case PictureError::kTgaCreateFailed:
            return "TGA Create failed";
        case PictureError::kTgaCorrupted:
            return "corrupted TGA";
    }
    return "";
}
