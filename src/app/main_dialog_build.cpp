// "Save as Flash" in three steps: prepared here on the user-interface thread (the
// fields, the frame size, the file name), run by the run host (the build itself,
// which touches no dialog state), finished here again (a message or opening the
// movie). The build's events come back as values and are shown as they arrive.
#include <optional>
#include <utility>

#include "app/main_dialog.h"
#include "app/main_dialog_run_events.h"
#include "platform/platform.h"
#include "slideshow/movie_playability.h"
#include "slideshow/movie_timing.h"
#include "slideshow/output_name.h"
#include "slideshow/stop_request.h"

namespace {

constexpr const char* kNotAFlashNameMessage = "Please input Flash filename";
constexpr const char* kSaveDialogTitle = "Save Flash file";
constexpr const char* kFlashFileFilter = "Flash Files|*.swf|ALL (*.*)|*.*||";
constexpr const char* kFlashExtension = "swf";

}  // namespace

// Refuses what cannot be built before anything is asked or written, and says what
// is only odd; true when the save may go on.
bool MainDialog::AcceptMovieBeforeSave() {
    // Refused before anything is asked or written: the frame rectangle could not
    // hold these twips.
    if (const std::string tooLarge = CheckFrameSize(buildSettings_); !tooLarge.empty()) {
        ShowMessage(tooLarge);
        return false;
    }
    // So is a movie past the header's frame count; one past what the classic player
    // plays is only said, and built.
    const auto pictures = static_cast<int64_t>(rows_.size());
    const std::string tooLong =
        FrameCountRefusal(MovieFrameCount(pictures, options_, buildSettings_.rate));
    if (!tooLong.empty()) {
        ShowMessage("The movie cannot be made: " + tooLong + ".");
        return false;
    }
    const std::string warning = FrameCountWarning(pictures, options_, buildSettings_.rate);
    if (!warning.empty()) {
        ShowMessage(warning);
    }
    // Accepted and passed on as typed, but not without a word: players refuse the
    // movie.
    if (const std::string reasons = UnplayableMovieReasons(buildSettings_); !reasons.empty()) {
        ShowMessage("Players will not show a movie with " + reasons +
                    "; it is written all the same.");
    }
    return true;
}

void MainDialog::OnSaveAsFlash() {
    if (running_) {
        return;
    }
    // A field without an integer is reported, and the build goes on with the values
    // the settings hold then.
    ReadFieldsFromControls();
    buildSettings_ = settings_;

    if (!AcceptMovieBeforeSave()) {
        return;
    }

    SaveFileRequest request;
    request.title = kSaveDialogTitle;
    request.filter = kFlashFileFilter;
    request.defaultExtension = kFlashExtension;
    request.confirmOverwrite = true;
    request.initialFolder = pictureFolder_;
    const std::optional<std::string> chosen = platform_.ShowSaveFileDialog(request);
    if (!chosen) {
        return;
    }
    if (!HasSwfExtension(*chosen)) {
        ShowMessage(kNotAFlashNameMessage);
        return;
    }

    SlideshowBuildRequest build;
    build.picturePaths = ListPaths();
    build.settings = buildSettings_;
    build.outputPath = UpperCaseFileName(*chosen);
    build.keepPreview = true;
    build.options = options_;

    AcquirePreviewSurface();
    SetFocus(DialogControl::kPictureList);
    host_.Start([this, build = std::move(build), stop = BeginRun()](const PostToInterface& post) {
        RunEvents events(*this, post, RunKind::kBuild);
        SlideshowBuildResult result = RunSlideshowBuild(build, &events, stop.get());
        post([this, result = std::move(result), outputPath = build.outputPath] {
            FinishBuild(result, outputPath);
        });
    });
}

void MainDialog::FinishBuild(const SlideshowBuildResult& result, const std::string& outputPath) {
    FinishRun();
    // A build stopped because the window closed has nobody left to tell.
    if (endResult_ != 0 || result.stopped) {
        return;
    }
    if (!result.ok) {
        ShowMessage(result.error);
        return;
    }
    // Whether a program could show the movie is not reported; the movie is there.
    platform_.ShellOpen("open", outputPath, kShowNormal);
}
