#include "slideshow/preview_run.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "image/ops/picture_orientation.h"
#include "image/picture.h"
#include "slideshow/frame_fitting.h"
#include "slideshow/movie_timing.h"
#include "slideshow/picture_size_text.h"
#include "slideshow/preview_fade.h"

namespace {

// A loaded picture made what the preview shows: turned upright when asked and, for a
// fit other than stretch, fitted to the frame as the build fits it. False, with the
// reason, for a picture that cannot be; `sizeText` is its own size, upright.
bool PrepareToShow(Picture& picture, const PreviewRequest& request, std::string& sizeText,
                   std::string& reason) {
    const MovieOptions& options = request.options;
    const bool swapsSides = options.upright && OrientationSwapsSides(picture.GetOrientation());
    sizeText = swapsSides ? PictureSizeText(picture.GetHeight(), picture.GetWidth())
                          : PictureSizeText(picture.GetWidth(), picture.GetHeight());
    if (options.fit != PictureFit::kStretch) {
        return FitLoadedPicture(picture, request.frameWidth, request.frameHeight, options, reason);
    }
    if (options.upright && !TurnUpright(picture)) {
        reason = std::string("cannot turn the picture upright: ") + picture.GetLastError();
        return false;
    }
    return true;
}

// The preview's clock. Without seconds per picture it is the Parts' one wait after
// each picture; with them each picture stays its frames at the movie's rate, and a
// fade shows its frames one by one.
struct PreviewTiming {
    bool timed = false;
    int32_t pictureWait = 0;  // untimed: after each picture
    int32_t frames = 1;
    int32_t fadeFrames = 0;
    int32_t frameWait = 0;

    PreviewTiming(const PreviewRequest& request, int32_t count)
        : timed(request.options.pictureMilliseconds > 0),
          pictureWait(PreviewWaitMilliseconds(request.rate, count)),
          frames(FramesPerPicture(request.options, request.rate)),
          fadeFrames(CrossfadeFrames(request.options, request.rate)),
          frameWait(request.rate > 0 ? 1000 / request.rate : 0) {}

    // The wait once a picture stands whole: after its fade, until its next picture.
    int32_t HoldWait(bool faded) const {
        if (!timed) {
            return pictureWait;
        }
        const int64_t heldFrames = frames - (faded ? fadeFrames - 1 : 0);
        return static_cast<int32_t>(std::min<int64_t>(heldFrames * frameWait, INT32_MAX));
    }
};

// Prepares the fade from `under` to `over` at the movie's frame size, or without one
// at the size of `over`.
bool PrepareFade(const PreviewRequest& request, const Picture& under, const Picture& over,
                 PreviewFade& fade) {
    const bool frame = request.frameWidth > 0 && request.frameHeight > 0;
    return fade.Prepare(under, over,
                        frame ? request.frameWidth : static_cast<int32_t>(over.GetWidth()),
                        frame ? request.frameHeight : static_cast<int32_t>(over.GetHeight()));
}

}  // namespace

int32_t PreviewWaitMilliseconds(int32_t rate, int32_t count) {
    if (count <= 0) {
        return 0;
    }
    const int64_t product = int64_t{rate} * 1000;
    if (product < 0 || product > std::numeric_limits<int32_t>::max()) {
        return 0;
    }
    return static_cast<int32_t>(product / count);
}

void RunPreview(const PreviewRequest& request, SlideshowEvents& events, const StopRequest* stop,
                const PreviewWait& wait) {
    const int32_t count = static_cast<int32_t>(request.picturePaths.size());
    const PreviewTiming timing(request, count);
    auto stopped = [stop] { return stop != nullptr && stop->IsRequested(); };
    // Waits unless there is nothing to wait or the run was stopped; false to end it.
    auto waitFor = [&](int32_t milliseconds) {
        return milliseconds <= 0 || (!stopped() && wait(milliseconds));
    };

    std::shared_ptr<Picture> shown;
    std::string shownSizeText = PictureSizeText(0, 0);
    for (int32_t i = 0; i < count && !stopped(); ++i) {
        events.OnEntryStarted({i, count, static_cast<int32_t>(100LL * (i + 1) / count)});

        FrameProduced produced;
        produced.index = i;
        produced.path = request.picturePaths[i];
        auto picture = std::make_shared<Picture>(kFormatUnknown);
        picture->SetStopFlag(stop != nullptr ? &stop->Flag() : nullptr);
        std::string sizeText;
        const std::shared_ptr<Picture> before = shown;
        if (!picture->Load(produced.path.c_str(), kFormatUnknown)) {
            produced.outcome = FrameOutcome::kPictureUnreadable;
            produced.reason = picture->GetLastError();
        } else if (!PrepareToShow(*picture, request, sizeText, produced.reason)) {
            produced.outcome = FrameOutcome::kPictureUnreadable;
        } else {
            picture->SetStopFlag(nullptr);
            shown = std::move(picture);
            shownSizeText = std::move(sizeText);
        }

        // The picture fades in over the one before it, as the movie's frames do: the
        // first fade frames show blends, the last one the picture itself.
        PreviewFade fade;
        const bool fades = timing.timed && timing.fadeFrames > 1 && before && shown != before &&
                           PrepareFade(request, *before, *shown, fade);
        for (int32_t k = 1; fades && k < timing.fadeFrames && !stopped(); ++k) {
            FrameProduced step = produced;
            step.preview = fade.Blend(FadeAlphaTerm(k, timing.fadeFrames));
            step.sizeText = shownSizeText;
            events.OnFrameProduced(std::move(step));
            if (!waitFor(timing.frameWait)) {
                return;
            }
        }
        produced.preview = shown;
        produced.sizeText = shownSizeText;
        events.OnFrameProduced(std::move(produced));

        if (!waitFor(timing.HoldWait(fades))) {
            break;
        }
    }
}
