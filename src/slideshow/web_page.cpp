#include "slideshow/web_page.h"

#include <algorithm>
#include <cstdio>

#include "slideshow/utf8_sequence.h"

namespace {

// The extension the page's path takes in place of the movie's ".swf".
constexpr std::string_view kPageExtension = ".html";
constexpr size_t kSwfExtensionLength = 4;

// Text for the page's content and attribute values: valid UTF-8 (U+FFFD for each
// byte that is not), control characters as spaces, and & < > " ' as references.
std::string HtmlText(std::string_view text) {
    std::string html;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            html += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (length > 1) {
            html.append(text.substr(i, length));
            i += length;
            continue;
        }
        const char c = text[i++];
        switch (c) {
            case '&':
                html += "&amp;";
                break;
            case '<':
                html += "&lt;";
                break;
            case '>':
                html += "&gt;";
                break;
            case '"':
                html += "&quot;";
                break;
            case '\'':
                html += "&#39;";
                break;
            default:
                html += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
                break;
        }
    }
    return html;
}

// A file name as a relative address: every byte but the unreserved ones of RFC 3986
// percent-encoded, so '#', '?', ':' and '%' stay part of the name and the address
// names the very bytes of the file.
std::string AddressOfName(std::string_view name) {
    std::string address;
    for (const char c : name) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            address += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            address += escaped;
        }
    }
    return address;
}

std::string NameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string CssColour(uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
    return text;
}

// Black text on a light background, white on a dark one.
std::string TextColourOn(uint32_t rgb) {
    const uint32_t red = rgb >> 16 & 0xFF;
    const uint32_t green = rgb >> 8 & 0xFF;
    const uint32_t blue = rgb & 0xFF;
    return 2126 * red + 7152 * green + 722 * blue > 10000 * 128 ? "#000000" : "#FFFFFF";
}

// Loads Ruffle unless the page is a file on the disk, then plays the movie in a
// player at the stage's size. Nothing of the movie's name is in the script: it reads
// the stage's data attributes.
constexpr const char* kPlayerScript = R"(<script>
(function () {
    'use strict';
    var stage = document.getElementById('stage');
    function explain(id) {
        stage.hidden = true;
        document.getElementById(id).hidden = false;
    }
    if (window.location.protocol === 'file:') {
        explain('served-only');
        return;
    }
    window.RufflePlayer = window.RufflePlayer || {};
    window.RufflePlayer.config = {
        autoplay: 'on',
        splashScreen: false,
        unmuteOverlay: 'hidden',
        polyfills: false,
        allowScriptAccess: false
    };
    var script = document.createElement('script');
    script.src = stage.dataset.ruffle;
    script.onload = function () {
        if (!window.RufflePlayer.newest || !window.RufflePlayer.newest()) {
            explain('no-ruffle');
            return;
        }
        var player = window.RufflePlayer.newest().createPlayer();
        stage.appendChild(player);
        player.ruffle().load({url: stage.dataset.movie});
    };
    script.onerror = function () {
        explain('no-ruffle');
    };
    document.head.appendChild(script);
})();
</script>
)";

}  // namespace

std::string WebPagePath(std::string_view moviePath) {
    const size_t stem = moviePath.size() >= kSwfExtensionLength
                            ? moviePath.size() - kSwfExtensionLength
                            : moviePath.size();
    return std::string(moviePath.substr(0, stem)) + std::string(kPageExtension);
}

std::string WebPageText(const WebPageFacts& facts) {
    const std::string movie = HtmlText(facts.movieName);
    const std::string movieAddress = HtmlText(AddressOfName(facts.movieName));
    const std::string pageName = HtmlText(NameOf(WebPagePath(facts.movieName)));
    const std::string pageAddress = HtmlText(AddressOfName(NameOf(WebPagePath(facts.movieName))));
    const std::string title =
        HtmlText(std::string_view(facts.movieName)
                     .substr(0, facts.movieName.size() -
                                    std::min(facts.movieName.size(), kSwfExtensionLength)));
    const std::string ruffle =
        HtmlText(facts.ruffleAddress.empty() ? kRuffleCdnAddress : facts.ruffleAddress);
    const std::string width = std::to_string(std::max(facts.width, 0));
    const std::string height = std::to_string(std::max(facts.height, 0));

    std::string page =
        "<!DOCTYPE html>\n"
        "<html lang=\"en\">\n"
        "<head>\n"
        "<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<meta name=\"generator\" content=\"Reelwright\">\n"
        "<title>" +
        title +
        "</title>\n"
        "<link rel=\"icon\" href=\"data:,\">\n"
        "<style>\n"
        "html, body { margin: 0; padding: 0; background: " +
        CssColour(facts.background) + "; color: " + TextColourOn(facts.background) +
        "; }\n"
        "body { min-height: 100vh; display: flex; flex-direction: column; align-items: center;\n"
        "       justify-content: center; font-family: sans-serif; }\n"
        "#stage { width: " +
        width + "px; height: " + height +
        "px; }\n"
        "#stage ruffle-player { display: block; width: 100%; height: 100%; }\n"
        "p { max-width: 40em; margin: 1em; text-align: center; }\n"
        "a { color: inherit; }\n"
        "</style>\n"
        "</head>\n"
        "<body>\n"
        "<div id=\"stage\" data-movie=\"" +
        movieAddress + "\" data-ruffle=\"" + ruffle +
        "\"></div>\n"
        "<p id=\"served-only\" hidden>Browsers do not play this movie from a page opened as a "
        "file on the disk. To watch it here, open a terminal in the folder that holds " +
        pageName + " and " + movie +
        ", run <code>python3 -m http.server</code> there, and open the address it prints "
        "followed by the page's name: <code>http://localhost:8000/" +
        pageAddress +
        "</code>. On a web server, the two files play as they are.</p>\n"
        "<p id=\"no-ruffle\" hidden>The movie's player, Ruffle, could not be loaded from "
        "<code>" +
        ruffle +
        "</code>.</p>\n"
        "<noscript><p>This page plays the movie with JavaScript, which is switched off."
        "</p></noscript>\n"
        "<p><a href=\"" +
        movieAddress + "\" download>Download the movie " + movie + "</a></p>\n";
    return page + kPlayerScript + "</body>\n</html>\n";
}
