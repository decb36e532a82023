// The build run shared by the dialog and the command line: every picture of the list,
// in order, becomes one frame of an SWF movie.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "slideshow/movie_settings.h"
#include "slideshow/produce_frame.h"

class DrawingSurface;

// Hears of the build's progress; adds to what the frame production reports.
class BuildObserver : public FrameObserver {
  public:
    // Called before entry `index` of `count` is worked on; `percent` is
    // 100 * (index + 1) / count, so it reads 100 while the last entry is processed.
    virtual void OnEntryStarting(int32_t index, int32_t count, int32_t percent) {
        (void)index;
        (void)count;
        (void)percent;
    }
    // Entry `index` becomes selected and focused and is scrolled into view.
    virtual void OnSelectEntry(int32_t index) { (void)index; }
    // Asked after every entry; true ends the build, and no movie is left behind.
    virtual bool ShouldStop() { return false; }
};

struct SlideshowBuildResult {
    bool ok = false;
    // For a failed build: one sentence naming the file and the reason.
    std::string error;
    int32_t framesWritten = 0;
    int32_t unreadablePictures = 0;
    bool stopped = false;
};

// Frames per movie are limited by the 16-bit character ids (bitmap id 2i + 2).
inline constexpr int32_t kMaxSlideshowPictures = 32766;

// Empty when the frame size fits the movie's rectangle fields, else the message that
// refuses it.
std::string CheckFrameSize(const MovieSettings& settings);

// Writes the movie to `outputPath` (already chosen and checked by the caller) from
// `picturePaths` in order. `preview` may be null for a headless build; `observer` may
// be null. The temporary JPEG file and its folder are gone when this returns, and a
// failed or stopped build leaves no movie file behind.
SlideshowBuildResult RunSlideshowBuild(const std::vector<std::string>& picturePaths,
                                       const MovieSettings& settings, const std::string& outputPath,
                                       DrawingSurface* preview, BuildObserver* observer);
