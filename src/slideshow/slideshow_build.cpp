#include "slideshow/slideshow_build.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "slideshow/produce_frame.h"
#include "slideshow/temporary_jpeg.h"
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

// Removes what a failed build left at the movie's path. Only a regular file is ours
// to remove: a path such as /dev/full must survive a failed write.
void RemovePartialMovie(const std::string& path) {
    struct stat status;
    if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        std::remove(path.c_str());
    }
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
    std::string temporaryError;
    const std::unique_ptr<TemporaryJpeg> temporary = TemporaryJpeg::Create(temporaryError);
    if (!temporary) {
        result.error = NotWritten(outputPath, temporaryError);
        return result;
    }

    auto writer = std::make_unique<SwfWriter>();
    if (writer->Open(outputPath, frame.floatWidth, frame.floatHeight, frame.rate) == 0) {
        result.error = writer->GetErrorNumber() != 0
                           ? "Cannot create the movie " + Quoted(outputPath) + ": " +
                                 std::strerror(writer->GetErrorNumber())
                           : NotWritten(outputPath, writer->GetError());
        return result;
    }
    writer->SetBackgroundColor(kBlackBackground);

    FrameOptions options;
    options.keepPreview = request.keepPreview;
    options.stopFlag = stop != nullptr ? &stop->Flag() : nullptr;

    const int32_t count = static_cast<int32_t>(picturePaths.size());
    for (int32_t i = 0; i < count; ++i) {
        if (stop != nullptr && stop->IsRequested()) {
            result.stopped = true;
            result.error = NotWritten(outputPath, "the build was stopped.");
            break;
        }
        if (events != nullptr) {
            events->OnEntryStarted({i, count, static_cast<int32_t>(100LL * (i + 1) / count)});
        }
        FrameProduced produced =
            ProduceFrame(*writer, i, picturePaths[i], frame, temporary->Path(), options);
        const FrameOutcome outcome = produced.outcome;
        const std::string reason = produced.reason;
        if (events != nullptr) {
            events->OnFrameProduced(std::move(produced));
        }
        if (outcome == FrameOutcome::kPictureUnreadable) {
            ++result.unreadablePictures;
        } else if (outcome == FrameOutcome::kTemporaryFileFailed) {
            // The frame would silently show an earlier picture: better no movie.
            result.error = NotWritten(outputPath, "picture " + Quoted(picturePaths[i]) +
                                                      " could not be saved to the temporary file " +
                                                      Quoted(temporary->Path()) + ": " + reason);
            break;
        }
        if (writer->Failed()) {
            result.error = NotWritten(outputPath, writer->GetError());
            break;
        }
        ++result.framesWritten;
    }
    // A stop that came during the last entry still means the user wanted no movie.
    if (result.error.empty() && stop != nullptr && stop->IsRequested()) {
        result.stopped = true;
        result.error = NotWritten(outputPath, "the build was stopped.");
    }

    if (result.error.empty() && writer->Close()) {
        result.ok = true;
        return result;
    }
    if (result.error.empty()) {
        result.error = "The movie " + Quoted(outputPath) +
                       " was not written completely: " + writer->GetError();
    }
    // A partial movie is worse than none: close without writing, then remove it.
    writer.reset();
    RemovePartialMovie(outputPath);
    return result;
}
