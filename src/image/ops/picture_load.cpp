// Loading and saving: opening files, finding the format by content, and handing the
// stream to the decoder or encoder of one format.
#include <cstring>

#include "image/codecs/picture_bmp.h"
#include "image/codecs/picture_gif.h"
#include "image/codecs/picture_heif.h"
#include "image/codecs/picture_ico.h"
#include "image/codecs/picture_jpg.h"
#include "image/codecs/picture_png.h"
#include "image/codecs/picture_tga.h"
#include "image/codecs/picture_webp.h"
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
    decoder.ClearLastError();   // what it says is its own
    decoder.SetOrientation(1);  // as stored, unless its file says otherwise
    decoder.SetDamage(PictureError::kNone);
    if (decoder.Decode(file)) {
        const PictureLastError kept = target.GetError();
        target.TakeOver(decoder);
        target.RestoreError(kept);
        return true;
    }
    recognition = decoder.GetFormatRecognition();
    target.SetError(decoder.GetErrorCode(), decoder.GetLastError());
    return false;
}

// By content: each decoder in turn from the same starting point. The order matters,
// since TGA has no signature and accepts much that is not TGA; WebP and HEIF, with
// signatures of their own, come before it. When none succeeds, the
// reason of the decoder most sure that the file was of its format (the first of them
// in this order) says why; with none sure, the format is unknown. A success keeps the
// caller's last error, not the refusals on the way.
bool DecodeByContent(Picture& picture, ImageStream* file) {
    const PictureLastError callersError = picture.GetError();
    const int64_t start = file->Tell();
    using Attempt = bool (*)(Picture&, ImageStream*, FormatRecognition&);
    static constexpr Attempt kAttempts[] = {
        DecodeWith<PictureBMP>,  DecodeWith<PictureJPG>, DecodeWith<PictureICO>,
        DecodeWith<PictureGIF>,  DecodeWith<PicturePNG>, DecodeWith<PictureWEBP>,
        DecodeWith<PictureHEIF>, DecodeWith<PictureTGA>,
    };
    FormatRecognition surest = FormatRecognition::kNone;
    PictureLastError surestReason;
    for (Attempt attempt : kAttempts) {
        picture.ClearLastError();
        FormatRecognition recognition = FormatRecognition::kNone;
        if (attempt(picture, file, recognition)) {
            picture.RestoreError(callersError);
            return true;
        }
        // A stopped decoder says nothing about the file: the next would stop too.
        if (picture.GetEscape() != 0) {
            picture.SetError(PictureError::kCancelled);
            return false;
        }
        if (recognition > surest && picture.GetErrorCode() != PictureError::kNone) {
            surest = recognition;
            surestReason = picture.GetError();
        }
        file->Seek(start, SEEK_SET);
    }
    picture.ClearLastError();
    if (surest != FormatRecognition::kNone) {
        picture.RestoreError(surestReason);
    } else {
        picture.SetError(PictureError::kUnknownFormat);
    }
    return false;
}

}  // namespace

bool Picture::Load(const char* path, uint32_t type) {
    if (!path) {
        return false;
    }
    // Opens the file for one decoding. Only a regular file is read, and the reading
    // stops as soon as the picture's stop flag is raised; a picture whose data was cut
    // short by the stop is no picture.
    const auto decodeFile = [this, path](uint32_t decodeType, bool& decoded) {
        StdioImageStream file(OpenRegularFileForReading(path));
        if (!file.IsOpen()) {
            if (file.IsNotRegularFile()) {
                SetError(PictureError::kNotRegularFile);
            } else {
                SetError(PictureError::kSystem, std::strerror(file.OpenError()));
            }
            return false;
        }
        file.SetStopFlag(info_.stopFlag);
        decoded = Decode(&file, decodeType);
        if (file.WasStopped()) {
            if (decoded) {
                Destroy();
            }
            decoded = false;
            SetError(PictureError::kCancelled);
        }
        return true;
    };
    bool decoded = false;
    if (TypeIndex(type) != 0) {
        if (!decodeFile(type, decoded)) {
            return false;
        }
        if (decoded || GetErrorCode() == PictureError::kCancelled) {
            return decoded;
        }
    }
    // Either the format is to be found by content, or the named decoder refused the
    // file: try every decoder. When a format was named, its own message is the more
    // useful one, so it is put back if the search finds nothing either.
    const PictureLastError namedFormatError = GetError();
    if (!decodeFile(kFormatUnknown, decoded)) {
        return false;
    }
    if (!decoded && type != kFormatUnknown && GetErrorCode() != PictureError::kCancelled) {
        RestoreError(namedFormatError);
    }
    return decoded;
}

bool Picture::Decode(ImageStream* file, uint32_t type) {
    if (!file) {
        SetError(PictureError::kNullFile);
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
        case kFormatWebp:
            return DecodeWith<PictureWEBP>(*this, file, recognition);
        case kFormatHeif:
        case kFormatAvif:
            // One decoder for the family; the file's brands decide the type it gives.
            return DecodeWith<PictureHEIF>(*this, file, recognition);
        case kFormatUnknown:
            return DecodeByContent(*this, file);
        default:
            SetError(PictureError::kUnknownFormat);
            return false;
    }
}

bool Picture::Save(const char* path, uint32_t type) {
    if (!path) {
        return false;
    }
    StdioImageStream file(path, "wb");
    if (!file.IsOpen()) {
        SetError(PictureError::kSystem, std::strerror(file.OpenError()));
        return false;
    }
    const bool encoded = Encode(&file, type);
    // A file that failed half-way stays on disk, as it was written. Closing flushes
    // the last bytes; if that fails the file is incomplete and must not pass as saved.
    const bool closed = file.Close();
    if (encoded && !closed) {
        SetError(PictureError::kSaveIncomplete);
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
            SetError(encoder.GetErrorCode(), encoder.GetLastError());
            return false;
        }
        case kFormatBmp:
        case kFormatGif:
        case kFormatPng:
        case kFormatIco:
        case kFormatTga:
        case kFormatWebp:
        case kFormatHeif:
        case kFormatAvif:
            // Only JPEG is ever written; the other formats are read-only here.
            SetError(PictureError::kEncodeNotSupported);
            return false;
        default:
            SetError(PictureError::kEncodeUnknownFormat);
            return false;
    }
}
