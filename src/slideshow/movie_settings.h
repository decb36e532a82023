// The movie's frame size and rate as the user typed them, and the copy a build works
// from once it has started.
#pragma once

#include <cstdint>

// Frame width and height in pixels and frame rate in frames per second. No range
// check: zero and negative values are accepted and passed on as they are.
struct MovieSettings {
    int32_t width = 280;
    int32_t height = 210;
    int32_t rate = 10;
};

// The values one build uses from its start to its end. Width and height are also
// kept as floats, the form in which the movie writer and the shapes take them.
struct BuildSettings {
    int32_t width = 0;
    int32_t height = 0;
    int32_t rate = 0;
    float floatWidth = 0.0f;
    float floatHeight = 0.0f;

    static BuildSettings From(const MovieSettings& settings) {
        return BuildSettings{settings.width, settings.height, settings.rate,
                             static_cast<float>(settings.width),
                             static_cast<float>(settings.height)};
    }
};
