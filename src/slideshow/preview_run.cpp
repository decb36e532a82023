#include "slideshow/preview_run.h"

#include <limits>
#include <memory>

#include "image/picture.h"
#include "slideshow/picture_size_text.h"

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
    for (int32_t i = 0; i < count && !stopped(); ++i) {
        events.OnEntryStarted({i, count, static_cast<int32_t>(100LL * (i + 1) / count)});

        FrameProduced produced;
        produced.index = i;
        produced.path = request.picturePaths[i];
        auto picture = std::make_shared<Picture>(kFormatUnknown);
        picture->SetStopFlag(stop != nullptr ? &stop->Flag() : nullptr);
        if (picture->Load(produced.path.c_str(), kFormatUnknown)) {
            picture->SetStopFlag(nullptr);
            shown = std::move(picture);
        } else {
            produced.outcome = FrameOutcome::kPictureUnreadable;
            produced.reason = picture->GetLastError();
        }
        produced.preview = shown;
        produced.sizeText =
            shown ? PictureSizeText(shown->GetWidth(), shown->GetHeight()) : PictureSizeText(0, 0);
        events.OnFrameProduced(std::move(produced));

        if (waitMilliseconds > 0 && !stopped() && !wait(waitMilliseconds)) {
            break;
        }
    }
}
