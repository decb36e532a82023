#include "slideshow/movie_timing.h"

#include <algorithm>

#include "slideshow/slideshow_build.h"
#include "swf/swf_writer.h"

namespace {

// round(milliseconds x rate / 1000), halves up; 0 for a rate of 0 or less.
int64_t FramesOf(int32_t milliseconds, int32_t rate) {
    if (rate <= 0 || milliseconds <= 0) {
        return 0;
    }
    return (int64_t{milliseconds} * rate + 500) / 1000;
}

int32_t Clamped(int64_t frames) {
    return static_cast<int32_t>(std::min<int64_t>(frames, INT32_MAX));
}

}  // namespace

int32_t FramesPerPicture(const MovieOptions& options, int32_t rate) {
    return Clamped(std::max<int64_t>(1, FramesOf(options.pictureMilliseconds, rate)));
}

int32_t CrossfadeFrames(const MovieOptions& options, int32_t rate) {
    return Clamped(std::min(FramesOf(options.crossfadeMilliseconds, rate),
                            int64_t{FramesPerPicture(options, rate)}));
}

int32_t FadeAlphaTerm(int32_t k, int32_t frames) {
    if (frames <= 0 || k >= frames) {
        return 256;
    }
    return static_cast<int32_t>((int64_t{k} * 512 + frames) / (2 * int64_t{frames}));
}

int64_t MovieFrameCount(int64_t pictures, const MovieOptions& options, int32_t rate) {
    return pictures * FramesPerPicture(options, rate);
}

std::string SecondsText(int32_t milliseconds) {
    std::string text = std::to_string(milliseconds / 1000);
    int32_t fraction = milliseconds % 1000;
    if (fraction != 0) {
        text += '.';
        for (int32_t digit = 100; fraction != 0; digit /= 10) {
            text += static_cast<char>('0' + fraction / digit);
            fraction %= digit;
        }
    }
    return text;
}

std::string CrossfadeConflict(const MovieOptions& options) {
    if (options.crossfadeMilliseconds <= options.pictureMilliseconds) {
        return {};
    }
    return "the crossfade (" + SecondsText(options.crossfadeMilliseconds) +
           " s) is longer than the seconds per picture (" +
           SecondsText(options.pictureMilliseconds) + " s)";
}

std::string FrameCountRefusal(int64_t frames) {
    if (frames <= kSwfMaxFrameCount) {
        return {};
    }
    return "it would have " + std::to_string(frames) + " frames and a movie holds at most " +
           std::to_string(kSwfMaxFrameCount);
}

std::string FrameCountWarning(int64_t pictures, const MovieOptions& options, int32_t rate) {
    const int64_t frames = MovieFrameCount(pictures, options, rate);
    if (frames <= kPlayerFrameLimit || frames > kSwfMaxFrameCount ||
        pictures > kMaxSlideshowPictures) {
        return {};
    }
    return "The movie has " + std::to_string(frames) +
           " frames: the classic Flash Player plays at most " + std::to_string(kPlayerFrameLimit) +
           ".";
}
