#include "slideshow/movie_playability.h"

std::string UnplayableMovieReasons(const MovieSettings& settings) {
    std::string reasons;
    if (settings.width <= 0 || settings.height <= 0) {
        reasons = "a frame of " + std::to_string(settings.width) + "*" +
                  std::to_string(settings.height) + " pixels";
    }
    if (StoredFrameRate(settings.rate) == 0) {
        reasons += (reasons.empty() ? "" : " and ") + std::string("a frame rate of 0");
    }
    return reasons;
}
