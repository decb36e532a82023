// Loading and saving: opening files, finding the format by content, and handing the
// stream to the decoder or encoder of one format.
#include <cstring>
#include <string>

#include "image/codecs/picture_bmp.h"
#include "image/codecs/picture_gif.h"
#include "image/codecs/picture_ico.h"
#include "image/codecs/picture_jpg.h"
#include "image/codecs/picture_png.h"
#include "image/codecs/picture_tga.h"
#include "image/image_stream.h"
#include "image/picture.h"

namespace {

// Runs one decoder on a copy of the target's information. On success the target
// takes the decoded picture and keeps its last error (nothing went wrong); on failure
// it takes the decoder's message, if it gave one, and learns how sure the decoder was
// that the content was of its format.
template <typename Decoder>
bool DecodeWith(Picture& target, ImageStream* file, FormatRecognition& recognition) {
    Decoder decoder;
    decoder.CopyInformation(target);
    decoder.ClearLastError();  // what it says is its own
    if (decoder.Decode(file)) {
        const std::string kept = target.GetLastError();
        target.TakeOver(decoder);
        target.ClearLastError();
        target.SetLastError(kept.c_str());
        return true;
    }
    recognition = decoder.GetFormatRecognition();
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
    FormatRecognition recognition = FormatRecognition::kNone;
    switch (type) {
        case kFormatBmp:
            return DecodeWith<PictureBMP>(*this, file, recognition);
        case kFormatGif:
            return DecodeWith<PictureGIF>(*this, file, recognition);
        case kFormatJpeg:
            return DecodeWith<PictureJPG>(*this, file, recognition);
        case kFormatPng:
            return DecodeWith<PicturePNG>(*this, file, recognition);
        case kFormatIco:
            return DecodeWith<PictureICO>(*this, file, recognition);
        case kFormatTga:
            return DecodeWith<PictureTGA>(*this, file, recognition);
        case kFormatUnknown:
            break;
        default:
            SetLastError("Decode: Unknown or wrong format");
            return false;
    }

    // By content: each decoder in turn from the same starting point. The order
    // matters, since TGA has no signature and accepts much that is not TGA. When none
    // succeeds, the reason of the decoder most sure that the file was of its format
    // (the first of them in this order) says why; with none sure, the format is
    // unknown. A success keeps the caller's last error, not the refusals on the way.
    const std::string callersError = info_.lastError;
    const int64_t start = file->Tell();
    using Attempt = bool (*)(Picture&, ImageStream*, FormatRecognition&);
    static constexpr Attempt kAttempts[] = {
        DecodeWith<PictureBMP>, DecodeWith<PictureJPG>, DecodeWith<PictureICO>,
        DecodeWith<PictureGIF>, DecodeWith<PicturePNG>, DecodeWith<PictureTGA>,
    };
    FormatRecognition surest = FormatRecognition::kNone;
    std::string surestReason;
    for (Attempt attempt : kAttempts) {
        ClearLastError();
        recognition = FormatRecognition::kNone;
        if (attempt(*this, file, recognition)) {
            ClearLastError();
            SetLastError(callersError.c_str());
            return true;
        }
        if (recognition > surest && info_.lastError[0] != '\0') {
            surest = recognition;
            surestReason = info_.lastError;
        }
        file->Seek(start, SEEK_SET);
    }
    ClearLastError();
    SetLastError(surest != FormatRecognition::kNone ? surestReason.c_str()
                                                    : "Decode: Unknown or wrong format");
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
