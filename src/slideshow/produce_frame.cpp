#include "slideshow/produce_frame.h"

#include <utility>

#include "slideshow/movie_timing.h"
#include "swf/swf_action_list.h"
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

// Colours as they are, at the alpha of fade frame k.
SwfColorTerms FadeTerms(int32_t k, int32_t fadeFrames) {
    return {1.0f, 1.0f, 1.0f, static_cast<float>(FadeAlphaTerm(k, fadeFrames)) / 256.0f,
            0.0f, 0.0f, 0.0f, 0.0f};
}

// Frames 1 to showing.frames of entry `index`, its shape defined already. Frame 1
// places the shape; a fade frame moves it to its alpha, and the last one removes the
// picture below it, which it now covers.
void WriteShowing(SwfWriter& writer, SwfShape& shape, int32_t index,
                  const PictureShowing& showing) {
    const uint16_t depth = DepthOf(index);
    const int32_t fadeFrames = index > 0 ? showing.fadeFrames : 0;
    for (int32_t frame = 1; frame <= showing.frames; ++frame) {
        if (frame <= fadeFrames) {
            const SwfColorTerms terms = FadeTerms(frame, fadeFrames);
            writer.PlaceCharacter(&shape, depth, &terms, 0, frame == 1);
            if (frame == fadeFrames) {
                writer.RemoveDepth(DepthOf(index - 1));
            }
        } else if (frame == 1) {
            writer.PlaceCharacter(&shape, depth, nullptr, 0, true);
        }
        if (frame == showing.frames && showing.stopOnLastFrame) {
            SwfActionList stop(false);
            stop.AddStop();
            writer.AddActions(&stop);
        }
        writer.ShowFrame();
    }
}

}  // namespace

FrameProduced WriteFittedFrame(SwfWriter& writer, int32_t index, const std::string& picturePath,
                               FittedFrame fitted, const BuildSettings& settings,
                               LastUsedJpeg& lastUsed, const PictureShowing& showing) {
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
    writer.AddCharacter(&shape, kSwfNoDepth, false);
    WriteShowing(writer, shape, index, showing);

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
