#include "slideshow/frame_fitting.h"

#include <algorithm>
#include <optional>

#include "image/image_stream.h"
#include "image/ops/picture_fit.h"
#include "image/ops/picture_orientation.h"
#include "image/picture.h"
#include "slideshow/frame_memory.h"
#include "slideshow/picture_size_text.h"

namespace {

// Why a picture did not load: Load's reason (the system's when the file cannot be
// opened, else the decoder's).
std::string LoadFailureReason(const Picture& picture) {
    if (picture.GetErrorCode() != PictureError::kNone) {
        return picture.GetLastError();
    }
    return "the file cannot be read";
}

FittedFrame Unusable(std::string reason) {
    FittedFrame frame;
    frame.outcome = FrameOutcome::kPictureUnreadable;
    frame.reason = std::move(reason);
    return frame;
}

}  // namespace

bool FitLoadedPicture(Picture& picture, int32_t width, int32_t height, const MovieOptions& options,
                      std::string& reason) {
    if (options.upright && !TurnUpright(picture)) {
        reason = std::string("cannot turn the picture upright: ") + picture.GetLastError();
        return false;
    }
    // A grey ramp palette stays as it is and becomes a grey-scale JPEG. A picture
    // whose 24-bit form would pass the memory limit is treated like one that did not
    // load: its frame repeats the one before.
    if (!picture.IsGrayScale() && !picture.IncreaseBpp(24)) {
        reason = std::string("cannot make the picture 24-bit: ") + picture.GetLastError();
        return false;
    }
    // Refused for a size of zero or less (or past the memory limit): the JPEG then
    // keeps the picture's own size while the shape still uses the frame's.
    FitPicture(picture, options.fit, width, height, BackgroundQuad(options));
    return true;
}

DecodeSizeHint FrameDecodeHint(int32_t width, int32_t height, const MovieOptions& options) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    // A contained picture is scaled by the smaller ratio: once one side reaches the
    // frame, the other needs no more than it has.
    return DecodeSizeHint{static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                          options.fit == PictureFit::kContain, options.upright};
}

FittedFrame FitPictureToFrame(const std::string& picturePath, const BuildSettings& settings,
                              const FitOptions& options) {
    // Made before the picture, so that the picture's memory is freed before its share
    // of the budget is given back.
    std::optional<FrameMemoryShare> share;
    auto picture = std::make_shared<Picture>(kFormatUnknown);
    picture->SetStopFlag(options.stopFlag);
    if (options.budget != nullptr) {
        share.emplace(*options.budget, settings, options.stopFlag);
        picture->SetDecodeAdmission(&*share);
    }
    if (options.fastDecode) {
        picture->SetDecodeSizeHint(FrameDecodeHint(settings.width, settings.height, options.movie));
    }
    if (!picture->Load(picturePath.c_str(), kFormatUnknown)) {
        FittedFrame frame = Unusable(LoadFailureReason(*picture));
        frame.sizeText = PictureSizeText(0, 0);
        return frame;
    }
    std::string reason;
    if (!FitLoadedPicture(*picture, settings.width, settings.height, options.movie, reason)) {
        FittedFrame frame = Unusable(std::move(reason));
        frame.sizeText = PictureSizeText(picture->GetWidth(), picture->GetHeight());
        return frame;
    }
    picture->SetJpegQuality(static_cast<uint8_t>(std::clamp(options.movie.jpegQuality, 1, 100)));

    FittedFrame frame;
    frame.sizeText = PictureSizeText(picture->GetWidth(), picture->GetHeight());
    MemoryImageStream jpeg;
    if (!picture->Encode(&jpeg, kFormatJpeg)) {
        frame.outcome = FrameOutcome::kPictureUnreadable;
        frame.reason = std::string("cannot encode the picture as JPEG: ") + picture->GetLastError();
        return frame;
    }
    frame.jpeg = jpeg.GetWritten();
    if (picture->GetDamage() != PictureError::kNone) {
        frame.damage = PictureErrorText(picture->GetDamage());
    }
    if (options.keepPreview) {
        picture->SetStopFlag(nullptr);
        picture->SetDecodeAdmission(nullptr);
        frame.preview = std::move(picture);
    }
    return frame;
}
