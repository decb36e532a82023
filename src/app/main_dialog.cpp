// MainDialog's own state: construction, the command routing, the settings fields,
// focus, selection, progress, labels, the preview area, and how runs start and end.
#include "app/main_dialog.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/dialog_ids.h"
#include "app/integer_field.h"
#include "app/movie_options_dialog.h"
#include "image/drawing_surface.h"
#include "image/picture.h"
#include "platform/platform.h"
#include "slideshow/movie_option_fields.h"
#include "slideshow/stop_request.h"

namespace {

constexpr const char* kNotAnIntegerMessage = "Please enter an integer.";

}  // namespace

MainDialog::MainDialog(Platform& platform, RunHost* host, std::string applicationName)
    : platform_(platform),
      host_(host != nullptr ? *host : inlineHost_),
      applicationName_(std::move(applicationName)),
      homePageLabel_(platform, applicationName_),
      options_(MovieOptionsFromTexts(platform.ReadOptionsFile())) {
    WriteFieldsToControls();
}

MainDialog::~MainDialog() {
    // A run or a picture decode still going must not outlive the dialog it reports to.
    if (stop_) {
        stop_->Request();
        host_.Wait();
    }
    if (pictureStop_) {
        pictureStop_->Request();
        pictureHost_->Wait();
    }
}

void MainDialog::OnCommand(int id) {
    // The dialog takes no input while a build or preview runs.
    if (running_ || endResult_ != 0) {
        return;
    }
    if (id == kIdHomePageLabel) {
        homePageLabel_.OnClick();
        return;
    }
    // Buttons, the context menu's items and the window menu's item.
    using Handler = void (MainDialog::*)();
    struct Route {
        int id;
        Handler handler;
    };
    static constexpr Route kRoutes[] = {
        {kIdSaveAsFlash, &MainDialog::OnSaveAsFlash},
        {kIdMenuSaveAsFlash, &MainDialog::OnSaveAsFlash},
        {kIdAddImages, &MainDialog::OnAddImages},
        {kIdMenuAddFiles, &MainDialog::OnAddImages},
        {kIdAddFolder, &MainDialog::OnAddFolder},
        {kIdMenuAddFolder, &MainDialog::OnAddFolder},
        {kIdRemove, &MainDialog::OnRemove},
        {kIdMenuRemove, &MainDialog::OnRemove},
        {kIdRemoveAll, &MainDialog::OnRemoveAll},
        {kIdMenuRemoveAll, &MainDialog::OnRemoveAll},
        {kIdMoveUp, &MainDialog::OnMoveUp},
        {kIdMoveDown, &MainDialog::OnMoveDown},
        {kIdPreview, &MainDialog::OnPreview},
        {kIdMenuPreview, &MainDialog::OnPreview},
        {kIdBuyNow, &MainDialog::OnBuyNow},
        {kIdHelp, &MainDialog::OnHelpButton},
        {kIdAbout, &MainDialog::OnAbout},
        {kIdSystemMenuAbout, &MainDialog::OnAbout},
        {kIdBanner, &MainDialog::OnBanner},
        {kIdPartnerLink, &MainDialog::OnPartnerLink},
        {kIdExit, &MainDialog::OnExit},
        {kIdOptions, &MainDialog::OnOptions},
    };
    for (const Route& route : kRoutes) {
        if (route.id == id) {
            (this->*route.handler)();
            return;
        }
    }
}

void MainDialog::OnExit() {
    if (running_ || endResult_ != 0) {
        return;
    }
    if (!ReadFieldsFromControls()) {
        return;
    }
    endResult_ = kDialogConfirmed;
    if (listener_ != nullptr) {
        listener_->OnEnded();
    }
}

void MainDialog::OnClose() {
    if (endResult_ != 0) {
        return;
    }
    if (stop_) {
        stop_->Request();
        host_.Wait();
    }
    endResult_ = kDialogCancelled;
    if (listener_ != nullptr) {
        listener_->OnEnded();
    }
}

void MainDialog::OnOptions() {
    if (running_ || endResult_ != 0) {
        return;
    }
    MovieOptionsDialog dialog(platform_, options_, applicationName_);
    platform_.RunMovieOptionsDialog(dialog);
    if (dialog.GetEnd() != MovieOptionsDialogEnd::kOk) {
        return;
    }
    options_ = dialog.GetOptions();
    // Written on every OK, so that a damaged file is made whole again.
    std::string error;
    if (!platform_.WriteOptionsFile(MovieOptionTexts(options_), error)) {
        ShowMessage(
            "The options hold until Reelwright ends, but they could not be saved for "
            "its next start: " +
            error);
    }
}

// --- settings and their fields --------------------------------------------------------

bool MainDialog::ReadFieldsFromControls() {
    struct Binding {
        DialogControl field;
        int32_t* value;
    };
    const Binding bindings[] = {{DialogControl::kHeightField, &settings_.height},
                                {DialogControl::kWidthField, &settings_.width},
                                {DialogControl::kRateField, &settings_.rate}};
    for (const Binding& binding : bindings) {
        const std::optional<int32_t> value = ParseIntegerField(FieldText(binding.field));
        if (!value) {
            ShowMessage(kNotAnIntegerMessage);
            SetFocus(binding.field, true);
            return false;
        }
        *binding.value = *value;
    }
    return true;
}

void MainDialog::WriteFieldsToControls() {
    widthText_ = std::to_string(settings_.width);
    heightText_ = std::to_string(settings_.height);
    rateText_ = std::to_string(settings_.rate);
    if (listener_ != nullptr) {
        listener_->OnFieldsChanged();
    }
}

std::string& MainDialog::FieldText(DialogControl field) {
    switch (field) {
        case DialogControl::kWidthField:
            return widthText_;
        case DialogControl::kHeightField:
            return heightText_;
        default:
            return rateText_;
    }
}

const std::string& MainDialog::GetFieldText(DialogControl field) const {
    return const_cast<MainDialog*>(this)->FieldText(field);
}

void MainDialog::SetFieldText(DialogControl field, std::string text) {
    FieldText(field) = std::move(text);
}

void MainDialog::SetFocus(DialogControl control, bool selectAllText) {
    focus_ = control;
    focusedTextSelected_ = selectAllText;
    if (listener_ != nullptr) {
        listener_->OnFocusChanged();
    }
}

// --- selection --------------------------------------------------------------------------

void MainDialog::SetRowSelected(int32_t row, bool selected) {
    if (row < 0 || row >= static_cast<int32_t>(rows_.size())) {
        return;
    }
    rows_[static_cast<size_t>(row)].selected = selected;
}

void MainDialog::SetFocusedRow(int32_t row) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].focused = static_cast<int32_t>(i) == row;
    }
}

int32_t MainDialog::FirstSelectedRow() const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].selected) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

void MainDialog::SelectRow(int32_t row, bool focus) {
    SelectRows(row, row, focus);
}

void MainDialog::SelectRows(int32_t first, int32_t last, bool focusLast) {
    const int32_t count = static_cast<int32_t>(rows_.size());
    if (last < 0 || last >= count || first > last) {
        return;
    }
    for (int32_t row = std::max(first, 0); row <= last; ++row) {
        rows_[static_cast<size_t>(row)].selected = true;
    }
    if (focusLast) {
        SetFocusedRow(last);
    }
    if (listener_ != nullptr) {
        listener_->OnSelectionChanged();
    }
}

// --- progress, labels, preview ----------------------------------------------------------

void MainDialog::SetProgress(int32_t percent) {
    progressPosition_ = percent;
    percentLabel_ = std::to_string(percent) + "%";
    if (listener_ != nullptr) {
        listener_->OnProgressChanged();
    }
}

void MainDialog::ResetProgress() {
    SetProgress(0);
}

void MainDialog::SetPictureSizeText(std::string text) {
    pictureSizeText_ = std::move(text);
    if (listener_ != nullptr) {
        listener_->OnLabelsChanged();
    }
}

void MainDialog::ShowPictureCount() {
    pictureCountText_ = std::to_string(rows_.size());
    if (listener_ != nullptr) {
        listener_->OnLabelsChanged();
    }
    WriteFieldsToControls();
}

void MainDialog::SetPreviewSize(int32_t width, int32_t height) {
    previewWidth_ = width;
    previewHeight_ = height;
    if (preview_ && (preview_->Width() != width || preview_->Height() != height)) {
        preview_.reset();
    }
}

DrawingSurface* MainDialog::AcquirePreviewSurface() {
    if (!preview_) {
        preview_ = std::make_unique<DrawingSurface>(previewWidth_, previewHeight_);
    }
    return preview_.get();
}

void MainDialog::DrawPreview(Picture* picture) {
    if (picture == nullptr) {
        return;
    }
    picture->Draw(AcquirePreviewSurface(), 0, 0, previewWidth_, previewHeight_, nullptr, true);
    if (listener_ != nullptr) {
        listener_->OnPreviewChanged();
    }
}

// --- messages ---------------------------------------------------------------------------

void MainDialog::ShowMessage(const std::string& text) {
    platform_.ShowMessageBox(text, MessageIcon::kExclamation, applicationName_);
}

void MainDialog::ShowLimitMessage() {
    platform_.ShowMessageBox("selected files can't more than 1000!", MessageIcon::kNone,
                             applicationName_);
}

// --- runs -------------------------------------------------------------------------------

std::shared_ptr<StopRequest> MainDialog::BeginRun() {
    // A clicked picture still on its way must not draw over the run.
    ForgetPictureRequests();
    stop_ = std::make_shared<StopRequest>();
    running_ = true;
    if (listener_ != nullptr) {
        listener_->OnRunningChanged();
    }
    return stop_;
}

void MainDialog::FinishRun() {
    running_ = false;
    stop_.reset();
    if (listener_ != nullptr) {
        listener_->OnRunningChanged();
    }
}

std::vector<std::string> MainDialog::ListPaths() const {
    std::vector<std::string> paths;
    paths.reserve(rows_.size());
    for (const ImageListRow& row : rows_) {
        paths.push_back(row.path);
    }
    return paths;
}
