// The command line of reelwright-cli: what it accepts and what it means.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "slideshow/movie_options.h"
#include "slideshow/movie_settings.h"

struct CliInput {
    bool isList = false;
    std::string path;
    friend bool operator==(const CliInput&, const CliInput&) = default;
};

struct CliOptions {
    std::string outputPath;
    // Frame size and rate; the dialog's defaults unless -s or -r says otherwise.
    MovieSettings settings;
    // Threads that fit pictures: 0 for one per processor.
    int32_t threads = 0;
    // JPEG pictures decoded at a reduced scale that still covers the frame.
    bool fastDecode = false;
    // Upright, fit, background and quality: the plain slideshow unless asked.
    MovieOptions movie = {};
    bool quiet = false;
    bool strict = false;
    bool open = false;
    bool help = false;
    bool version = false;
    // Pictures, folders and list files (-l/--list, "-" for standard input), in the
    // order they were given.
    std::vector<CliInput> inputs;
};

// Either the options, or a one-line message saying what is wrong with the words.
struct CliParseResult {
    std::optional<CliOptions> options;
    std::string error;
};

CliParseResult ParseCliOptions(const std::vector<std::string>& arguments);

// "WxH" with two decimal integers, e.g. "280x210".
bool ParseFrameSize(const std::string& text, int32_t& width, int32_t& height);
// A whole decimal integer that fits in 32 bits, nothing before or after it.
bool ParseCliInteger(const std::string& text, int32_t& value);

// The most threads -j takes.
inline constexpr int32_t kMaxCliThreads = 256;

std::string CliUsage();
