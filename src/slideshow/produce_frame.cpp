#include "slideshow/produce_frame.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "image/picture.h"
#include "slideshow/picture_size_text.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_shape.h"
#include "swf/swf_writer.h"

namespace {

constexpr uint8_t kFrameJpegQuality = 80;
constexpr uint32_t kOpaqueBlack = 0xFF000000;  // 0xAABBGGRR

// The bitmap fill maps the bitmap's pixels onto the frame's. A zero frame edge would
// make the scale 0 / 0; such a shape covers nothing, so the scale becomes 0 instead.
float SourceExtent(float frameExtent) {
    return frameExtent == 0.0f ? 1.0f : frameExtent;
}

// Why a picture did not load: the decoder's message, or, when the file could not even
// be opened (the decoders then say nothing), the system's reason.
std::string LoadFailureReason(const Picture& picture, const std::string& path) {
    if (picture.GetLastError()[0] != '\0') {
        return picture.GetLastError();
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::strerror(errno);
    }
    std::fclose(file);
    return "the file cannot be read";
}

}  // namespace

FrameProduced ProduceFrame(SwfWriter& writer, int32_t index, const std::string& picturePath,
                           const BuildSettings& settings, const std::string& temporaryJpegPath,
                           const FrameOptions& options) {
    const float width = settings.floatWidth;
    const float height = settings.floatHeight;
    FrameProduced result;
    result.index = index;
    result.path = picturePath;

    // Destroyed in reverse order of creation: shape, bitmap, picture.
    auto picture = std::make_shared<Picture>(kFormatUnknown);
    picture->SetStopFlag(options.stopFlag);
    picture->Load(picturePath.c_str(), kFormatUnknown);
    if (picture->IsValid()) {
        // A grey ramp palette stays as it is and becomes a grey-scale JPEG.
        if (!picture->IsGrayScale()) {
            picture->IncreaseBpp(24);
        }
        // Refused for a size of zero or less: the JPEG then keeps the picture's own
        // size while the shape still uses the frame's.
        picture->Resample(settings.width, settings.height, 0);
        picture->SetJpegQuality(kFrameJpegQuality);
        if (!picture->Save(temporaryJpegPath.c_str(), kFormatJpeg)) {
            result.outcome = FrameOutcome::kTemporaryFileFailed;
            result.reason = picture->GetLastError();
        }
    } else {
        result.outcome = FrameOutcome::kPictureUnreadable;
        result.reason = LoadFailureReason(*picture, picturePath);
    }
    result.sizeText = PictureSizeText(picture->GetWidth(), picture->GetHeight());

    // Whatever the temporary file holds now: this picture, the last one that loaded,
    // or nothing at all (then no bitmap tag is written, but the frame still is).
    SwfJpegBitmap bitmap(BitmapIdOf(index), temporaryJpegPath);
    writer.AddCharacter(&bitmap, 0xFFFF, false);

    SwfShape shape(ShapeIdOf(index), 0.0f, 0.0f, width, height, DepthOf(index));
    shape.AddLineStyle(0, kOpaqueBlack);
    shape.AddBitmapFill(BitmapIdOf(index), kSwfFillClippedBitmap, 0.0f, 0.0f, SourceExtent(width),
                        SourceExtent(height), 0.0f, 0.0f, width, height);
    shape.AddStyleChange(1, 1, 0, SwfPoint{0.0f, 0.0f});
    shape.AddStraightEdge(width, 0.0f);
    shape.AddStraightEdge(0.0f, height);
    shape.AddStraightEdge(-width, 0.0f);
    shape.AddStraightEdge(0.0f, -height);
    writer.AddCharacter(&shape, DepthOf(index), true);

    writer.ShowFrame();

    // The fitted picture is what the preview area shows; a picture that did not load
    // leaves the preview as it was.
    if (options.keepPreview && picture->IsValid()) {
        picture->SetStopFlag(nullptr);
        result.preview = std::move(picture);
    }
    return result;
}
