#include "app/main_dialog.h"

#include <optional>
#include <utility>

#include "app/integer_field.h"
#include "image/drawing_surface.h"
#include "platform/platform.h"
#include "slideshow/output_name.h"
#include "slideshow/slideshow_build.h"

namespace {

constexpr const char* kNotAnIntegerMessage = "Please enter an integer.";
constexpr const char* kNotAFlashNameMessage = "Please input Flash filename";
constexpr const char* kSaveDialogTitle = "Save Flash file";
constexpr const char* kFlashFileFilter = "Flash Files|*.swf|ALL (*.*)|*.*||";
constexpr const char* kFlashExtension = "swf";

}  // namespace

// Carries what the build reports into the dialog's controls.
class MainDialog::BuildProgress : public BuildObserver {
  public:
    explicit BuildProgress(MainDialog& dialog) : dialog_(dialog) {}

    void OnEntryStarting(int32_t, int32_t, int32_t percent) override {
        dialog_.progressPosition_ = percent;
        dialog_.percentLabel_ = std::to_string(percent) + "%";
    }
    void OnSelectEntry(int32_t index) override {
        // Selection adds up over the build; the focus mark moves to this row.
        for (ImageListRow& row : dialog_.rows_) {
            row.focused = false;
        }
        ImageListRow& row = dialog_.rows_[static_cast<size_t>(index)];
        row.selected = true;
        row.focused = true;
        dialog_.platform_.RepaintList();
        dialog_.visibleRow_ = index;
    }
    void OnPictureSize(const std::string& text) override { dialog_.pictureSizeText_ = text; }
    void OnRewriteSettings() override { dialog_.WriteFieldsToControls(); }

  private:
    MainDialog& dialog_;
};

MainDialog::MainDialog(Platform& platform, std::string applicationName)
    : platform_(platform), applicationName_(std::move(applicationName)) {
    WriteFieldsToControls();
}

MainDialog::~MainDialog() = default;

void MainDialog::OnSaveAsFlash() {
    // A field without an integer is reported, and the build goes on with the values
    // the settings hold then.
    ReadFieldsFromControls();
    const MovieSettings settings = settings_;

    // Refused before anything is asked or written: the frame rectangle could not
    // hold these twips.
    if (const std::string tooLarge = CheckFrameSize(settings); !tooLarge.empty()) {
        ShowMessage(tooLarge);
        return;
    }

    SaveFileRequest request;
    request.title = kSaveDialogTitle;
    request.filter = kFlashFileFilter;
    request.defaultExtension = kFlashExtension;
    request.confirmOverwrite = true;
    const std::optional<std::string> chosen = platform_.ShowSaveFileDialog(request);
    if (!chosen) {
        return;
    }
    if (!HasSwfExtension(*chosen)) {
        ShowMessage(kNotAFlashNameMessage);
        return;
    }
    const std::string outputPath = UpperCaseFileName(*chosen);

    DrawingSurface* preview = AcquirePreviewSurface();
    SetFocus(DialogControl::kPictureList);

    std::vector<std::string> paths;
    paths.reserve(rows_.size());
    for (const ImageListRow& row : rows_) {
        paths.push_back(row.path);
    }

    BuildProgress progress(*this);
    const SlideshowBuildResult result =
        RunSlideshowBuild(paths, settings, outputPath, preview, &progress);
    if (!result.ok) {
        ShowMessage(result.error);
        return;
    }
    // Whether a program could show the movie is not reported; the movie is there.
    platform_.ShellOpen("open", outputPath, kShowNormal);
}

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

void MainDialog::AppendRow(std::string path) {
    ImageListRow row;
    row.number = std::to_string(rows_.size() + 1);
    row.path = std::move(path);
    rows_.push_back(std::move(row));
}

void MainDialog::SetFocus(DialogControl control, bool selectAllText) {
    focus_ = control;
    focusedTextSelected_ = selectAllText;
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

void MainDialog::ShowMessage(const std::string& text) {
    platform_.ShowMessageBox(text, MessageIcon::kExclamation, applicationName_);
}
