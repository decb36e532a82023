#include "cli/cli_run.h"

#include <cstdio>
#include <istream>
#include <optional>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/interrupt.h"
#include "cli/picture_inputs.h"
#include "cli/progress_bar.h"
#include "platform/platform.h"
#include "reelwright_version.h"
#include "slideshow/slideshow_build.h"
#include "slideshow/web_page.h"

namespace {

constexpr const char* kProgramName = "reelwright-cli";

// Reports the build's progress on the terminal and unreadable pictures on standard
// error; with --strict the first unreadable picture stops the build.
class CliBuildEvents final : public SlideshowEvents {
  public:
    CliBuildEvents(CliEnvironment& environment, bool quiet, bool strict, StopRequest& stop)
        : environment_(environment),
          strict_(strict),
          stop_(stop),
          progress_(environment.progressTerminal, !quiet && environment.progressTerminal) {}

    void OnEntryStarted(const EntryStarted& event) override {
        progress_.Update(static_cast<size_t>(event.index), static_cast<size_t>(event.count));
    }
    void OnFrameProduced(FrameProduced event) override {
        if (event.outcome != FrameOutcome::kPictureUnreadable) {
            return;
        }
        progress_.Finish();
        environment_.err << kProgramName << ": " << (strict_ ? "error" : "warning")
                         << ": cannot read picture '" << event.path << "': " << event.reason
                         << '\n';
        // A flag, not the path, says whether the build was stopped: the path may be
        // empty.
        if (strict_ && !stoppedByStrict_) {
            stoppedByStrict_ = true;
            firstUnreadable_ = event.path;
            stop_.Request();
        }
    }

    void Finish() { progress_.Finish(); }
    const std::string& FirstUnreadable() const { return firstUnreadable_; }

  private:
    CliEnvironment& environment_;
    bool strict_;
    StopRequest& stop_;
    bool stoppedByStrict_ = false;
    ProgressBar progress_;
    std::string firstUnreadable_;
};

int UsageError(CliEnvironment& environment, const std::string& message) {
    environment.err << kProgramName << ": " << message << " (try '" << kProgramName
                    << " --help')\n";
    return kExitUsage;
}

// The movie keeps whole frames per second in one byte, as the dialog's build does;
// say so rather than let 300 quietly become 44.
void WarnAboutRate(CliEnvironment& environment, int32_t rate) {
    if (rate < 0 || rate > 255) {
        environment.err << kProgramName << ": warning: frame rate " << rate
                        << " does not fit the movie's 0-255 field; it is stored as "
                        << (rate & 0xFF) << '\n';
    }
}

// "Wrote show.swf: 3 frames of 280x210 at 10 fps", and how many pictures were
// unreadable.
void PrintSummary(CliEnvironment& environment, const CliOptions& options,
                  const SlideshowBuildResult& result) {
    const MovieSettings& settings = options.settings;
    environment.out << "Wrote " << options.outputPath << ": " << result.framesWritten
                    << (result.framesWritten == 1 ? " frame" : " frames") << " of "
                    << settings.width << "x" << settings.height << " at " << settings.rate
                    << " fps";
    if (result.unreadablePictures > 0) {
        environment.out << " (" << result.unreadablePictures << " unreadable "
                        << (result.unreadablePictures == 1 ? "picture" : "pictures")
                        << " repeated the frame before)";
    }
    environment.out << '\n';
    if (options.movie.webPage) {
        environment.out << "Wrote " << WebPagePath(options.outputPath)
                        << ": the web page that plays it\n";
    }
}

void OpenMovie(CliEnvironment& environment, const std::string& path) {
    const int code = environment.platform->ShellOpen("open", path, kShowNormal);
    if (code <= kShellOpenFailureLimit) {
        environment.err << kProgramName << ": warning: could not open '" << path << "' (code "
                        << code << ")\n";
    }
}

// Builds the movie from the pictures and says how it went; returns the exit status.
int BuildMovie(const CliOptions& options, const std::vector<std::string>& pictures,
               CliEnvironment& environment) {
    StopRequest stop;
    CliBuildEvents events(environment, options.quiet, options.strict, stop);
    SlideshowBuildRequest request;
    request.picturePaths = pictures;
    request.settings = options.settings;
    request.outputPath = options.outputPath;
    request.threads = options.threads;
    request.fastDecode = options.fastDecode;
    request.options = options.movie;
    std::optional<InterruptHandling> interrupts;
    if (environment.handleSignals) {
        interrupts.emplace(stop);
    }
    const SlideshowBuildResult result = RunSlideshowBuild(request, &events, &stop);
    const int signal = interrupts ? interrupts->ReceivedSignal() : 0;
    interrupts.reset();
    events.Finish();

    if (result.stopped && signal != 0) {
        environment.err << kProgramName << ": stopped by signal " << signal
                        << "; no movie written\n";
        return kExitSignalBase + signal;
    }
    if (result.stopped) {
        environment.err << kProgramName << ": no movie written: '" << events.FirstUnreadable()
                        << "' could not be read (--strict)\n";
        return kExitBuildFailed;
    }
    if (!result.ok) {
        environment.err << kProgramName << ": " << result.error << '\n';
        return kExitBuildFailed;
    }
    if (!options.quiet) {
        PrintSummary(environment, options, result);
    }
    if (options.open && environment.platform) {
        OpenMovie(environment, options.outputPath);
    }
    return kExitSuccess;
}

}  // namespace

int RunReelwrightCli(const std::vector<std::string>& arguments, CliEnvironment& environment) {
    const CliParseResult parsed = ParseCliOptions(arguments);
    if (!parsed.options) {
        return UsageError(environment, parsed.error);
    }
    const CliOptions& options = *parsed.options;
    if (options.help) {
        environment.out << CliUsage();
        return kExitSuccess;
    }
    if (options.version) {
        environment.out << kProgramName << " " << kReelwrightVersion << "\n";
        return kExitSuccess;
    }
    const std::string sizeProblem = CheckFrameSize(options.settings);
    if (!sizeProblem.empty()) {
        return UsageError(environment, sizeProblem);
    }
    WarnAboutRate(environment, options.settings.rate);

    const PictureInputsResult pictures = CollectPictures(options.inputs, environment.in);
    if (!pictures.error.empty()) {
        environment.err << kProgramName << ": " << pictures.error << '\n';
        return kExitBuildFailed;
    }
    if (pictures.paths.empty()) {
        environment.err << kProgramName << ": no pictures found in what was given\n";
        return kExitBuildFailed;
    }
    return BuildMovie(options, pictures.paths, environment);
}
