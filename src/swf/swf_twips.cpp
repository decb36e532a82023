#include "swf/swf_twips.h"

#include <cmath>
#include <cstdio>
#include <limits>

int32_t SwfTruncateToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);  // truncates toward zero
}

int32_t SwfPixelsToTwips(float pixels) {
    // The product is formed in float, as a 32-bit float pixel value times 20, so
    // that values such as 0.05 pixels come out as the movie's players expect.
    return SwfTruncateToInt32(static_cast<double>(pixels * float{kSwfTwipsPerPixel}));
}

std::string SwfPixelsText(float pixels) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(pixels));
    return text;
}

bool SwfFitsInTwips(float pixels) {
    if (std::isnan(pixels)) {
        return false;
    }
    const int32_t twips = SwfPixelsToTwips(pixels);
    return twips >= kSwfMinTwips && twips <= kSwfMaxTwips;
}

bool SwfFrameSizeFits(float width, float height) {
    return SwfFitsInTwips(width) && SwfFitsInTwips(height);
}
