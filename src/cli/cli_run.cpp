#include "cli/cli_run.h"

#include <cstdio>
#include <istream>
#include <optional>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/interrupt.h"
#include "cli/picture_inputs.h"
#include "cli/printable_text.h"
#include "cli/progress_bar.h"
#include "platform/platform.h"
#include "reelwright_version.h"
#include "slideshow/movie_playability.h"
#include "slideshow/movie_timing.h"
#include "slideshow/slideshow_build.h"
#include "slideshow/web_page.h"

namespace {

constexpr const char* kProgramName = "reelwright-cli";

// One line of a message: names in it come from outside, so it is written as text a
// terminal only shows.
void WriteLine(std::ostream& stream, const std::string& text) {
    stream << PrintableText(text) << '\n';
}

// "reelwright-cli: warning: TEXT" and the like.
void Say(std::ostream& stream, const std::string& kind, const std::string& text) {
    WriteLine(stream, std::string(kProgramName) + ": " + kind + text);
}

// Reports the build's progress on the terminal, and unreadable and incomplete pictures
// on standard error; with --strict the first of them stops the build.
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
        if (event.outcome == FrameOutcome::kPictureUnreadable) {
            Report("cannot read picture '" + event.path + "': " + event.reason, event.path,
                   "could not be read");
        } else if (!event.damage.empty()) {
            // Shown as far as it could be read, as the dialog shows it.
            Report("picture '" + event.path + "' is incomplete: " + event.damage +
                       (strict_ ? "" : "; its frame shows what could be read"),
                   event.path, "is incomplete");
        }
    }

    void Finish() { progress_.Finish(); }
    // Why --strict stopped the build: "'PATH' could not be read", or empty.
    const std::string& StrictStop() const { return strictStop_; }

  private:
    void Report(const std::string& text, const std::string& path, const std::string& what) {
        progress_.Finish();
        Say(environment_.err, strict_ ? "error: " : "warning: ", text);
        // A flag, not the path, says whether the build was stopped: the path may be
        // empty.
        if (strict_ && !stoppedByStrict_) {
            stoppedByStrict_ = true;
            strictStop_ = "'" + path + "' " + what;
            stop_.Request();
        }
    }

    CliEnvironment& environment_;
    bool strict_;
    StopRequest& stop_;
    bool stoppedByStrict_ = false;
    ProgressBar progress_;
    std::string strictStop_;
};

int UsageError(CliEnvironment& environment, const std::string& message) {
    Say(environment.err, "", message + " (try '" + kProgramName + " --help')");
    return kExitUsage;
}

// The movie keeps whole frames per second in one byte, as the dialog's build does;
// say so rather than let 300 quietly become 44. Players refuse a movie without a
// frame or a rate: it is written all the same, as asked, but not without a word.
void WarnAboutSettings(CliEnvironment& environment, const MovieSettings& settings) {
    if (StoredFrameRate(settings.rate) != settings.rate) {
        Say(environment.err, "warning: ",
            "frame rate " + std::to_string(settings.rate) +
                " does not fit the movie's 0-255 field; it is stored as " +
                std::to_string(StoredFrameRate(settings.rate)));
    }
    if (const std::string reasons = UnplayableMovieReasons(settings); !reasons.empty()) {
        Say(environment.err, "warning: ",
            "players will not show a movie with " + reasons + "; it is written all the same");
    }
}

// "Wrote show.swf: 3 frames of 280x210 at 10 fps" (the rate as the movie stores it),
// and how many pictures were unreadable.
void PrintSummary(CliEnvironment& environment, const CliOptions& options,
                  const SlideshowBuildResult& result) {
    const MovieSettings& settings = options.settings;
    std::string summary = "Wrote " + options.outputPath + ": " +
                          std::to_string(result.framesWritten) +
                          (result.framesWritten == 1 ? " frame" : " frames") + " of " +
                          std::to_string(settings.width) + "x" + std::to_string(settings.height) +
                          " at " + std::to_string(StoredFrameRate(settings.rate)) + " fps";
    if (result.unreadablePictures > 0) {
        summary += " (" + std::to_string(result.unreadablePictures) + " unreadable " +
                   (result.unreadablePictures == 1 ? "picture" : "pictures") +
                   " repeated the frame before)";
    }
    WriteLine(environment.out, summary);
    if (options.movie.webPage) {
        WriteLine(environment.out,
                  "Wrote " + WebPagePath(options.outputPath) + ": the web page that plays it");
    }
}

void OpenMovie(CliEnvironment& environment, const std::string& path) {
    const int code = environment.platform->ShellOpen("open", path, kShowNormal);
    if (code <= kShellOpenFailureLimit) {
        Say(environment.err,
            "warning: ", "could not open '" + path + "' (code " + std::to_string(code) + ")");
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
    const std::string longMovie = FrameCountWarning(static_cast<int64_t>(pictures.size()),
                                                    options.movie, options.settings.rate);
    if (!longMovie.empty()) {
        environment.err << kProgramName << ": warning: " << longMovie << '\n';
    }
    std::optional<InterruptHandling> interrupts;
    if (environment.handleSignals) {
        interrupts.emplace(stop);
    }
    const SlideshowBuildResult result = RunSlideshowBuild(request, &events, &stop);
    const int signal = interrupts ? interrupts->ReceivedSignal() : 0;
    interrupts.reset();
    events.Finish();

    if (result.stopped && signal != 0) {
        Say(environment.err, "",
            "stopped by signal " + std::to_string(signal) + "; no movie written");
        return kExitSignalBase + signal;
    }
    if (result.stopped) {
        Say(environment.err, "", "no movie written: " + events.StrictStop() + " (--strict)");
        return kExitBuildFailed;
    }
    if (!result.ok) {
        Say(environment.err, "", result.error);
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
    WarnAboutSettings(environment, options.settings);

    const PictureInputsResult pictures = CollectPictures(options.inputs, environment.in);
    if (!pictures.error.empty()) {
        Say(environment.err, "", pictures.error);
        return kExitBuildFailed;
    }
    if (pictures.paths.empty()) {
        Say(environment.err, "", "no pictures found in what was given");
        return kExitBuildFailed;
    }
    return BuildMovie(options, pictures.paths, environment);
}
