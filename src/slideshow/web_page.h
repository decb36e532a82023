// The web page written beside a movie: it plays the movie with Ruffle (the SWF
// player in WebAssembly that browsers run today) at the movie's frame size, centred
// on its background colour, titled with its name, with a link to download it. A page
// opened from a file on the disk, where browsers refuse to run Ruffle, says instead
// how to serve the folder and look at it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Where pages load Ruffle from unless told otherwise: the public CDN's copy of the
// npm package @ruffle-rs/ruffle, its version pinned, so a page keeps playing the way
// it did when it was made.
inline constexpr const char* kRuffleCdnAddress =
    "https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js";

struct WebPageFacts {
    // The movie's file name, as the page names it beside itself: "SHOW.SWF".
    std::string movieName;
    int32_t width = 0;
    int32_t height = 0;
    // 0xRRGGBB.
    uint32_t background = 0;
    // Ruffle's script; empty for kRuffleCdnAddress.
    std::string ruffleAddress;
};

// The page's path: the movie's with ".html" for its ".swf" (any case).
std::string WebPagePath(std::string_view moviePath);

// The whole page, UTF-8 HTML. Names are escaped, and a name that is no valid UTF-8
// shows U+FFFD for each bad byte while its link keeps the exact bytes.
std::string WebPageText(const WebPageFacts& facts);
