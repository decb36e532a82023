// Loading and saving: opening files, finding the format by content, and handing the
// stream to the decoder or encoder of one format.
#include <cstring>

#include "image/image_stream.h"
#include "image/picture.h"
#include "image/picture_bmp.h"
#include "image/picture_gif.h"
#include "image/picture_ico.h"
#include "image/picture_jpg.h"
#include "image/picture_png.h"
#include "image/picture_tga.h"

namespace {

// Runs one decoder on a copy of the target's information; on success the target
// takes the decoded picture, on failure only the decoder's message.
template <typename Decoder>
bool DecodeWith(Picture& target, ImageStream* file) {
    Decoder decoder;
    decoder.CopyInformation(target);
    if (decoder.Decode(file)) {
        target.TakeOver(decoder);
        return true;
    }
    target.SetLastError(decoder.GetLastError());
    return false;
}

}  // namespace

bool Picture::Load(const char* path, uint32_t type) {
    if (!path) {
        return false;
    }
    if (TypeIndex(type) != 0) {
        StdioImageStream file(path, "rb");
        if (!file.IsOpen()) {
            SetLastError(std::strerror(file.OpenError()));
            return false;
        }
        if (Decode(&file, type)) {
            return true;
        }
    }
    // Either the format is to be found by content, or the named decoder refused the
    // file: try every decoder. When a format was named, its own message is the more
    // useful one, so it is put back if the search finds nothing either.
    char keptError[kLastErrorCapacity];
    std::memcpy(keptError, info_.lastError, sizeof keptError);
    StdioImageStream file(path, "rb");
    if (!file.IsOpen()) {
        SetLastError(std::strerror(file.OpenError()));
        return false;
    }
    const bool decoded = Decode(&file, kFormatUnknown);
    if (!decoded && type != kFormatUnknown) {
        std::memcpy(info_.lastError, keptError, sizeof keptError);
    }
    return decoded;
}

bool Picture::Decode(ImageStream* file, uint32_t type) {
    if (!file) {
        SetLastError("null file handler");
        return false;
    }
    switch (type) {
        case kFormatBmp:
            return DecodeWith<PictureBMP>(*this, file);
        case kFormatGif:
            return DecodeWith<PictureGIF>(*this, file);
        case kFormatJpeg:
            return DecodeWith<PictureJPG>(*this, file);
        case kFormatPng:
            return DecodeWith<PicturePNG>(*this, file);
        case kFormatIco:
            return DecodeWith<PictureICO>(*this, file);
        case kFormatTga:
            return DecodeWith<PictureTGA>(*this, file);
        case kFormatUnknown:
            break;
        default:
            SetLastError("Decode: Unknown or wrong format");
            return false;
    }

    // By content: each decoder in turn from the same starting point. The order
    // matters, since TGA has no signature and accepts much that is not TGA.
    const int64_t start = file->Tell();
    using Attempt = bool (*)(Picture&, ImageStream*);
    static constexpr Attempt kAttempts[] = {
        DecodeWith<PictureBMP>, DecodeWith<PictureJPG>, DecodeWith<PictureICO>,
        DecodeWith<PictureGIF>, DecodeWith<PicturePNG>, DecodeWith<PictureTGA>,
    };
    for (Attempt attempt : kAttempts) {
        if (attempt(*this, file)) {
            return true;
        }
        file->Seek(start, SEEK_SET);
    }
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool Picture::Save(const char* path, uint32_t type) {
    if (!path) {
        return false;
    }
    StdioImageStream file(path, "wb");
    if (!file.IsOpen()) {
        SetLastError(std::strerror(file.OpenError()));
        return false;
    }
    const bool encoded = Encode(&file, type);
    // A file that failed half-way stays on disk, as it was written. Closing flushes
    // the last bytes; if that fails the file is incomplete and must not pass as saved.
    const bool closed = file.Close();
    if (encoded && !closed) {
        SetLastError("Save: the file could not be written completely");
        return false;
    }
    return encoded;
}

bool Picture::Encode(ImageStream* file, uint32_t type) {
    switch (type) {
        case kFormatJpeg: {
            PictureJPG encoder;
            encoder.Borrow(*this);
            if (encoder.Encode(file)) {
                return true;
            }
            SetLastError(encoder.GetLastError());
            return false;
        }
        case kFormatBmp:
        case kFormatGif:
        case kFormatPng:
        case kFormatIco:
        case kFormatTga:
            // Only JPEG is ever written; the other formats are read-only here.
            SetLastError("Encode: saving in this format is not supported");
            return false;
        default:
            SetLastError("Encode: Unknown format");
            return false;
    }
}
