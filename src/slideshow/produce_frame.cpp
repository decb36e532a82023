#include "slideshow/produce_frame.h"

#include <utility>

#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_shape.h"
#include "swf/swf_writer.h"

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000;  // 0xAABBGGRR

// The bitmap fill maps the bitmap's pixels onto the frame's. A zero frame edge would
// make the scale 0 / 0; such a shape covers nothing, so the scale becomes 0 instead.
float SourceExtent(float frameExtent) {
    return frameExtent == 0.0f ? 1.0f : frameExtent;
}

}  // namespace

FrameProduced WriteFittedFrame(SwfWriter& writer, int32_t index, const std::string& picturePath,
                               FittedFrame fitted, const BuildSettings& settings,
                               LastUsedJpeg& lastUsed) {
    const float width = settings.floatWidth;
    const float height = settings.floatHeight;
    if (fitted.outcome == FrameOutcome::kPictureUsed) {
        lastUsed.bytes = std::move(fitted.jpeg);
    }

    // Created in this order and destroyed in the reverse one: bitmap, then shape.
    // Without any usable picture yet the bitmap is empty and writes no tag, but the
    // frame is still written.
    SwfJpegBitmap bitmap(BitmapIdOf(index), lastUsed.bytes);
    writer.AddCharacter(&bitmap, kSwfNoDepth, false);

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

    FrameProduced produced;
    produced.index = index;
    produced.outcome = fitted.outcome;
    produced.path = picturePath;
    produced.reason = std::move(fitted.reason);
    produced.damage = std::move(fitted.damage);
    produced.sizeText = std::move(fitted.sizeText);
    produced.preview = std::move(fitted.preview);
    return produced;
}

FrameProduced ProduceFrame(SwfWriter& writer, int32_t index, const std::string& picturePath,
                           const BuildSettings& settings, const FitOptions& options,
                           LastUsedJpeg& lastUsed) {
    return WriteFittedFrame(writer, index, picturePath,
                            FitPictureToFrame(picturePath, settings, options), settings, lastUsed);
}
