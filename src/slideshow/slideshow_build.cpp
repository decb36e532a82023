#include "slideshow/slideshow_build.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "image/picture.h"
#include "slideshow/frame_pipeline.h"
#include "slideshow/memory_budget.h"
#include "slideshow/movie_file.h"
#include "slideshow/movie_timing.h"
#include "slideshow/produce_frame.h"
#include "slideshow/web_page.h"
#include "swf/swf_twips.h"
#include "swf/swf_writer.h"

namespace {

// What the pictures of one build may take at once, whatever the number of threads:
// what one picture may take, so that any picture that loads alone loads in a build.
constexpr uint64_t kBuildMemoryBudget = kPictureMaxMemory;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string NotWritten(const std::string& moviePath, const std::string& reason) {
    return "The movie " + Quoted(moviePath) + " was not written: " + reason;
}

// The writer's reason: the system's when a file operation failed (the writer's own
// text would name the temporary file), else the writer's.
bool IsStopped(const StopRequest* stop) {
    return stop != nullptr && stop->IsRequested();
}

std::string WriterReason(const SwfWriter& writer) {
    return writer.GetErrorCode() == SwfWriterError::kFile ? std::strerror(writer.GetErrorNumber())
                                                          : writer.GetError();
}

int ThreadsFor(const SlideshowBuildRequest& request) {
    if (request.threads > 0) {
        return request.threads;
    }
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : static_cast<int>(processors);
}

// Everything that can be refused is refused before a file is touched: empty when
// the request can be built, else the message that refuses it.
std::string RefusalOf(const SlideshowBuildRequest& request) {
    const size_t count = request.picturePaths.size();
    if (count > static_cast<size_t>(kMaxSlideshowPictures)) {
        return NotWritten(request.outputPath,
                          "a movie holds at most " + std::to_string(kMaxSlideshowPictures) +
                              " pictures, the list has " + std::to_string(count) + ".");
    }
    const std::string conflict = CrossfadeConflict(request.options);
    if (!conflict.empty()) {
        return NotWritten(request.outputPath, conflict + ".");
    }
    const std::string tooLong = FrameCountRefusal(
        MovieFrameCount(static_cast<int64_t>(count), request.options, request.settings.rate));
    if (!tooLong.empty()) {
        return NotWritten(request.outputPath, tooLong + ".");
    }
    return CheckFrameSize(request.settings);
}

// The writer's colour, 0x00BBGGRR, of the options' 0xRRGGBB.
uint32_t WriterColour(uint32_t rgb) {
    return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
}

// The version of a movie whose players smooth its pictures when they scale them.
constexpr uint8_t kSmoothVersion = 8;

// Opens the writer on the movie's temporary file with the background colour (black
// unless asked otherwise), as version 8 when the pictures are to be smoothed; null,
// with `error` set, when it cannot.
std::unique_ptr<SwfWriter> OpenWriter(const MovieFile& movie, const std::string& outputPath,
                                      const BuildSettings& frame, const MovieOptions& options,
                                      std::string& error) {
    auto writer = std::make_unique<SwfWriter>();
    if (options.smooth) {
        writer->SetVersion(kSmoothVersion);
    }
    if (writer->Open(movie.TemporaryPath(), frame.floatWidth, frame.floatHeight, frame.rate) == 0) {
        error = writer->GetErrorCode() == SwfWriterError::kFile
                    ? "Cannot create the movie " + Quoted(outputPath) + ": " + WriterReason(*writer)
                    : NotWritten(outputPath, WriterReason(*writer));
        return nullptr;
    }
    writer->SetBackgroundColor(WriterColour(options.background));
    return writer;
}

// Writes one frame per picture, in list order, as the pipeline hands them out; stops
// between entries when asked to, and at the first frame the writer fails on.
void WriteFrames(const SlideshowBuildRequest& request, const BuildSettings& frame,
                 SwfWriter& writer, SlideshowEvents* events, const StopRequest* stop,
                 SlideshowBuildResult& result) {
    MemoryBudget budget(kBuildMemoryBudget);
    FitOptions options;
    options.keepPreview = request.keepPreview;
    options.fastDecode = request.fastDecode;
    options.stopFlag = stop != nullptr ? &stop->Flag() : nullptr;
    options.movie = request.options;
    options.budget = &budget;
    const std::vector<std::string>& paths = request.picturePaths;
    FramePipeline pipeline(
        paths.size(),
        [&paths, &frame, &options](size_t index) {
            return FitPictureToFrame(paths[index], frame, options);
        },
        ThreadsFor(request));
    LastUsedJpeg lastUsed;
    const int32_t count = static_cast<int32_t>(paths.size());
    PictureShowing showing;
    showing.frames = FramesPerPicture(request.options, frame.rate);
    showing.fadeFrames = CrossfadeFrames(request.options, frame.rate);
    for (int32_t i = 0; i < count && !IsStopped(stop); ++i) {
        if (events != nullptr) {
            events->OnEntryStarted({i, count, static_cast<int32_t>(100LL * (i + 1) / count)});
        }
        FittedFrame fitted = std::move(*pipeline.Next());
        // What the stop cut short is neither a frame nor an unreadable picture.
        if (IsStopped(stop)) {
            break;
        }
        showing.stopOnLastFrame = request.options.stopAtEnd && i == count - 1;
        FrameProduced produced =
            WriteFittedFrame(writer, i, paths[i], std::move(fitted), frame, lastUsed, showing);
        if (produced.outcome == FrameOutcome::kPictureUnreadable) {
            ++result.unreadablePictures;
        }
        if (events != nullptr) {
            events->OnFrameProduced(std::move(produced));
        }
        if (writer.Failed()) {
            result.error = NotWritten(request.outputPath, WriterReason(writer));
            return;
        }
        result.framesWritten += showing.frames;
    }
}

// Writes the web page that plays the movie into its own temporary file beside the
// page's path; null, with `error` set, when it cannot. It takes its name after the
// movie has taken its own.
std::unique_ptr<MovieFile> PreparePage(const SlideshowBuildRequest& request, std::string& error) {
    const std::string pagePath = WebPagePath(request.outputPath);
    std::unique_ptr<MovieFile> page = MovieFile::Create(pagePath, error, "web page");
    if (!page) {
        return nullptr;
    }
    const size_t slash = request.outputPath.rfind('/');
    const WebPageFacts facts{
        slash == std::string::npos ? request.outputPath : request.outputPath.substr(slash + 1),
        request.settings.width, request.settings.height, request.options.background,
        request.options.ruffleAddress};
    const std::string text = WebPageText(facts);
    FILE* file = std::fopen(page->TemporaryPath().c_str(), "wb");
    bool written = file != nullptr;
    int reason = errno;
    if (file != nullptr) {
        written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        reason = errno;
        if (std::fclose(file) != 0 && written) {
            written = false;
            reason = errno;
        }
    }
    if (!written) {
        error = "The web page " + Quoted(pagePath) + " was not written: " + std::strerror(reason);
        return nullptr;
    }
    return page;
}

}  // namespace

std::string CheckFrameSize(const MovieSettings& settings) {
    if (SwfFrameSizeFits(static_cast<float>(settings.width), static_cast<float>(settings.height))) {
        return {};
    }
    return "The frame size " + std::to_string(settings.width) + "*" +
           std::to_string(settings.height) +
           " pixels is too large: a Flash movie frame can be at most " +
           std::to_string(kSwfMaxFramePixels) + "*" + std::to_string(kSwfMaxFramePixels) +
           " pixels.";
}

SlideshowBuildResult RunSlideshowBuild(const SlideshowBuildRequest& request,
                                       SlideshowEvents* events, const StopRequest* stop) {
    SlideshowBuildResult result;
    const std::string& outputPath = request.outputPath;
    const BuildSettings frame = BuildSettings::From(request.settings);
    result.error = RefusalOf(request);
    if (!result.error.empty()) {
        return result;
    }
    std::unique_ptr<MovieFile> movie = MovieFile::Create(outputPath, result.error);
    if (!movie) {
        return result;
    }
    std::unique_ptr<SwfWriter> writer =
        OpenWriter(*movie, outputPath, frame, request.options, result.error);
    if (!writer) {
        return result;
    }
    WriteFrames(request, frame, *writer, events, stop, result);
    // A stop that came during the last entry still means the user wanted no movie.
    if (result.error.empty() && IsStopped(stop)) {
        result.stopped = true;
        result.error = NotWritten(outputPath, "the build was stopped.");
    }
    // On failure the temporary file goes with the MovieFile; the target stays as it was.
    if (!result.error.empty()) {
        return result;
    }
    if (!writer->Close()) {
        result.error = "The movie " + Quoted(outputPath) +
                       " was not written completely: " + WriterReason(*writer);
        return result;
    }
    writer.reset();
    // The page is written in full before the movie takes its name, so a page that
    // cannot be written leaves the earlier movie and page as they were.
    std::unique_ptr<MovieFile> page;
    if (request.options.webPage) {
        page = PreparePage(request, result.error);
        if (!page) {
            return result;
        }
    }
    result.ok = movie->Commit(result.error) && (!page || page->Commit(result.error));
    return result;
}
