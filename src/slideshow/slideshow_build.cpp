#include "slideshow/slideshow_build.h"

#include <cstring>
#include <memory>
#include <thread>

#include "slideshow/frame_pipeline.h"
#include "slideshow/movie_file.h"
#include "slideshow/produce_frame.h"
#include "swf/swf_twips.h"
#include "swf/swf_writer.h"

namespace {

constexpr uint32_t kBlackBackground = 0x000000;  // 0x00BBGGRR

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string NotWritten(const std::string& moviePath, const std::string& reason) {
    return "The movie " + Quoted(moviePath) + " was not written: " + reason;
}

// The writer's reason: the system's when a file operation failed (the writer's own
// text would name the temporary file), else the writer's.
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
    const std::vector<std::string>& picturePaths = request.picturePaths;
    const std::string& outputPath = request.outputPath;
    const BuildSettings frame = BuildSettings::From(request.settings);

    // Everything that can be refused is refused before a file is touched.
    if (picturePaths.size() > static_cast<size_t>(kMaxSlideshowPictures)) {
        result.error = NotWritten(
            outputPath, "a movie holds at most " + std::to_string(kMaxSlideshowPictures) +
                            " pictures, the list has " + std::to_string(picturePaths.size()) + ".");
        return result;
    }
    if (std::string tooLarge = CheckFrameSize(request.settings); !tooLarge.empty()) {
        result.error = tooLarge;
        return result;
    }
    std::unique_ptr<MovieFile> movie = MovieFile::Create(outputPath, result.error);
    if (!movie) {
        return result;
    }
    auto writer = std::make_unique<SwfWriter>();
    if (writer->Open(movie->TemporaryPath(), frame.floatWidth, frame.floatHeight, frame.rate) ==
        0) {
        result.error =
            writer->GetErrorCode() == SwfWriterError::kFile
                ? "Cannot create the movie " + Quoted(outputPath) + ": " + WriterReason(*writer)
                : NotWritten(outputPath, WriterReason(*writer));
        return result;
    }
    writer->SetBackgroundColor(kBlackBackground);

    FitOptions options;
    options.keepPreview = request.keepPreview;
    options.fastDecode = request.fastDecode;
    options.stopFlag = stop != nullptr ? &stop->Flag() : nullptr;
    auto stopped = [stop] { return stop != nullptr && stop->IsRequested(); };

    {
        FramePipeline pipeline(picturePaths, frame, options, ThreadsFor(request));
        LastUsedJpeg lastUsed;
        const int32_t count = static_cast<int32_t>(picturePaths.size());
        for (int32_t i = 0; i < count && !stopped(); ++i) {
            if (events != nullptr) {
                events->OnEntryStarted({i, count, static_cast<int32_t>(100LL * (i + 1) / count)});
            }
            std::optional<FittedFrame> fitted = pipeline.Next();
            FrameProduced produced =
                WriteFittedFrame(*writer, i, picturePaths[i], std::move(*fitted), frame, lastUsed);
            if (produced.outcome == FrameOutcome::kPictureUnreadable) {
                ++result.unreadablePictures;
            }
            if (events != nullptr) {
                events->OnFrameProduced(std::move(produced));
            }
            if (writer->Failed()) {
                result.error = NotWritten(outputPath, WriterReason(*writer));
                break;
            }
            ++result.framesWritten;
        }
    }
    // A stop that came during the last entry still means the user wanted no movie.
    if (result.error.empty() && stopped()) {
        result.stopped = true;
        result.error = NotWritten(outputPath, "the build was stopped.");
    }
    if (!result.error.empty()) {
        // The temporary file goes with the MovieFile; the target stays as it was.
        writer.reset();
        return result;
    }
    if (!writer->Close()) {
        result.error = "The movie " + Quoted(outputPath) +
                       " was not written completely: " + WriterReason(*writer);
        writer.reset();
        return result;
    }
    writer.reset();
    if (!movie->Commit(result.error)) {
        return result;
    }
    result.ok = true;
    return result;
}
