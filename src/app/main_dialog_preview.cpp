// Showing pictures in the preview area: a click on a row (which also takes the
// picture's size as the frame size), the arrow keys, and the timed preview run.
#include <utility>

#include "app/main_dialog.h"
#include "app/main_dialog_run_events.h"
#include "platform/platform.h"
#include "slideshow/picture_size_text.h"
#include "slideshow/picture_to_show.h"
#include "slideshow/preview_run.h"
#include "slideshow/stop_request.h"

namespace {

constexpr const char* kEmptyListMessage = "Please select files.There are'n files in list";

}  // namespace

void MainDialog::OnPreview() {
    if (running_) {
        return;
    }
    // Only the bar goes back to 0; the percent label keeps its text.
    progressPosition_ = 0;
    if (listener_ != nullptr) {
        listener_->OnProgressChanged();
    }
    if (rows_.empty()) {
        ShowMessage(kEmptyListMessage);
        return;
    }
    AcquirePreviewSurface();
    // A field without an integer is reported; the run goes on with the rate held.
    ReadFieldsFromControls();
    buildSettings_.rate = settings_.rate;

    PreviewRequest request;
    request.picturePaths = ListPaths();
    request.rate = buildSettings_.rate;
    // Pictures are shown as the movie would show them: upright, and fitted to the
    // frame the fields hold.
    request.options = options_;
    request.frameWidth = settings_.width;
    request.frameHeight = settings_.height;
    host_.Start(
        [this, request = std::move(request), stop = BeginRun()](const PostToInterface& post) {
            RunEvents events(*this, post, RunKind::kPreview);
            Platform& platform = platform_;
            RunPreview(request, events, stop.get(), [&platform, &stop](int32_t milliseconds) {
                return platform.Sleep(milliseconds, stop->Flag());
            });
            post([this] { FinishRun(); });
        });
}

void MainDialog::ShowRowPicture(int32_t row, bool takeFrameSize) {
    const bool inside = row >= 0 && row < static_cast<int32_t>(rows_.size());
    const std::string path = inside ? rows_[static_cast<size_t>(row)].path : std::string();
    // A newer request makes every earlier one stale: a decode still going is stopped
    // and what it would have shown is dropped.
    const uint64_t request = ForgetPictureRequests();
    const std::shared_ptr<StopRequest> stop = pictureStop_;
    const int32_t areaWidth = previewWidth_;
    const int32_t areaHeight = previewHeight_;
    // A photo turned upright shows, and gives the frame, its upright size.
    const bool upright = options_.upright;
    pictureHost_->Start([this, path, request, stop, areaWidth, areaHeight, upright,
                         takeFrameSize](const PostToInterface& post) {
        // The size is in the header: it is shown before the pixels are decoded.
        const std::optional<PictureHeaderSize> header = ReadPictureHeaderSize(path, upright);
        if (header) {
            post([this, request, header, takeFrameSize] {
                ShowPictureSize(request, header->width, header->height, takeFrameSize);
            });
        }
        ShownPicture shown =
            LoadPictureForArea(path, areaWidth, areaHeight, header, &stop->Flag(), upright);
        if (stop->IsRequested()) {
            return;
        }
        post([this, request, takeFrameSize, known = header.has_value(), shown = std::move(shown)] {
            if (request != pictureRequest_) {
                return;
            }
            // A picture that did not load leaves the preview area as it was.
            AcquirePreviewSurface();
            DrawPreview(shown.picture.get());
            if (!known || shown.picture == nullptr) {
                ShowPictureSize(request, shown.width, shown.height, takeFrameSize);
            }
        });
    });
}

uint64_t MainDialog::ForgetPictureRequests() {
    if (pictureStop_) {
        pictureStop_->Request();
    }
    pictureStop_ = std::make_shared<StopRequest>();
    return ++pictureRequest_;
}

void MainDialog::ShowPictureSize(uint64_t request, int32_t width, int32_t height,
                                 bool takeFrameSize) {
    if (request != pictureRequest_) {
        return;
    }
    SetPictureSizeText(PictureSizeText(width, height));
    // A click makes the picture's own size the frame size (0 by 0 when it did not
    // load), shown in the fields at once.
    if (takeFrameSize) {
        settings_.width = width;
        settings_.height = height;
    }
    WriteFieldsToControls();
}

void MainDialog::OnListClick(int32_t row) {
    if (running_ || endResult_ != 0) {
        return;
    }
    if (row != -1) {
        ShowRowPicture(row, true);
    }
    currentRow_ = FirstSelectedRow();
    ResetProgress();
    WriteFieldsToControls();
}

void MainDialog::ShowSelectedPicture() {
    if (running_ || endResult_ != 0) {
        return;
    }
    const int32_t row = FirstSelectedRow();
    if (row == -1) {
        return;
    }
    ShowRowPicture(row, false);
}
