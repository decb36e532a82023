// Showing pictures in the preview area: a click on a row (which also takes the
// picture's size as the frame size), the arrow keys, and the timed preview run.
#include <utility>

#include "app/main_dialog.h"
#include "app/main_dialog_run_events.h"
#include "platform/platform.h"
#include "slideshow/picture_metrics.h"
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

std::pair<int32_t, int32_t> MainDialog::ShowRowPicture(int32_t row) {
    const bool inside = row >= 0 && row < static_cast<int32_t>(rows_.size());
    const ShownPicture shown =
        LoadPictureToShow(inside ? rows_[static_cast<size_t>(row)].path : "");
    AcquirePreviewSurface();
    // A picture that did not load leaves the preview area as it was.
    DrawPreview(shown.picture.get());
    SetPictureSizeText(shown.sizeText);
    return {shown.width, shown.height};
}

void MainDialog::OnListClick(int32_t row) {
    if (running_ || endResult_ != 0) {
        return;
    }
    if (row != -1) {
        // The clicked picture's own size becomes the frame size (0 by 0 when it did
        // not load), shown in the fields at once.
        const auto [width, height] = ShowRowPicture(row);
        settings_.width = width;
        settings_.height = height;
        WriteFieldsToControls();
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
    ShowRowPicture(row);
    WriteFieldsToControls();
}
