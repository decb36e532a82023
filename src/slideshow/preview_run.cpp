#include "slideshow/preview_run.h"

#include <limits>
#include <memory>

#include "image/ops/picture_orientation.h"
#include "image/picture.h"
#include "slideshow/frame_fitting.h"
#include "slideshow/picture_size_text.h"

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
    const int32_t waitMilliseconds = PreviewWaitMilliseconds(request.rate, count);
    auto stopped = [stop] { return stop != nullptr && stop->IsRequested(); };

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
        produced.preview = shown;
        produced.sizeText = shownSizeText;
        events.OnFrameProduced(std::move(produced));

        if (waitMilliseconds > 0 && !stopped() && !wait(waitMilliseconds)) {
            break;
        }
    }
}
