#include "slideshow/movie_option_fields.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "slideshow/movie_timing.h"
#include "slideshow/web_page.h"

namespace {

constexpr int32_t kLowestQuality = 1;
constexpr int32_t kHighestQuality = 100;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A switch's text, into or out of one member of the options.
template <bool MovieOptions::*Member>
bool ReadSwitch(std::string_view text, MovieOptions& options, std::string& expected) {
    if (text == kSwitchOn || text == kSwitchOff) {
        options.*Member = text == kSwitchOn;
        return true;
    }
    expected = "true or false";
    return false;
}

template <bool MovieOptions::*Member>
std::string WriteSwitch(const MovieOptions& options) {
    return options.*Member ? kSwitchOn : kSwitchOff;
}

// The fit's words in the order of PictureFit's values.
constexpr std::array<const char*, 3> kFitWords = {"stretch", "contain", "cover"};

bool ReadFit(std::string_view text, MovieOptions& options, std::string& expected) {
    for (size_t i = 0; i < kFitWords.size(); ++i) {
        if (EqualsIgnoringCase(text, kFitWords[i])) {
            options.fit = static_cast<PictureFit>(i);
            return true;
        }
    }
    expected = "stretch, contain or cover";
    return false;
}

std::string WriteFit(const MovieOptions& options) {
    return kFitWords[static_cast<size_t>(options.fit)];
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// RRGGBB in hexadecimal digits of either case, with a '#' in front or none.
bool ReadBackground(std::string_view text, MovieOptions& options, std::string& expected) {
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    uint32_t colour = 0;
    bool valid = text.size() == 6;
    for (size_t i = 0; valid && i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        valid = digit >= 0;
        colour = colour << 4 | static_cast<uint32_t>(digit);
    }
    if (!valid) {
        expected = "RRGGBB, six hexadecimal digits such as 000000 for black";
        return false;
    }
    options.background = colour;
    return true;
}

std::string WriteBackground(const MovieOptions& options) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", options.background & 0xFFFFFFu);
    return text;
}

// Decimal digits only, no sign, no blanks: 1 to 100.
bool ReadQuality(std::string_view text, MovieOptions& options, std::string& expected) {
    int32_t quality = 0;
    bool valid = !text.empty() && text.size() <= 3;
    for (size_t i = 0; valid && i < text.size(); ++i) {
        valid = text[i] >= '0' && text[i] <= '9';
        quality = 10 * quality + (text[i] - '0');
    }
    if (!valid || quality < kLowestQuality || quality > kHighestQuality) {
        expected = "a whole number from 1 to 100";
        return false;
    }
    options.jpegQuality = quality;
    return true;
}

std::string WriteQuality(const MovieOptions& options) {
    return std::to_string(options.jpegQuality);
}

// Seconds in decimal digits with at most three after a point ("3", "0.5", "1.25"),
// from 0 to an hour, as thousandths.
bool ReadSeconds(std::string_view text, int32_t& milliseconds, std::string& expected) {
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    bool valid = !whole.empty() && whole.size() <= 4 && fraction.size() <= 3 &&
                 (point == std::string_view::npos || !fraction.empty());
    int64_t value = 0;
    for (size_t i = 0; valid && i < whole.size(); ++i) {
        valid = whole[i] >= '0' && whole[i] <= '9';
        value = 10 * value + (whole[i] - '0');
    }
    int64_t scale = 1000;
    for (size_t i = 0; valid && i < fraction.size(); ++i) {
        valid = fraction[i] >= '0' && fraction[i] <= '9';
        scale /= 10;
        value = value * 10 + (fraction[i] - '0');
    }
    value *= scale;
    if (!valid || value > kMaxTimingMilliseconds) {
        expected = "a number of seconds from 0 to 3600, such as 3 or 0.5";
        return false;
    }
    milliseconds = static_cast<int32_t>(value);
    return true;
}

template <int32_t MovieOptions::*Member>
bool ReadSecondsOf(std::string_view text, MovieOptions& options, std::string& expected) {
    return ReadSeconds(text, options.*Member, expected);
}

template <int32_t MovieOptions::*Member>
std::string WriteSecondsOf(const MovieOptions& options) {
    return SecondsText(options.*Member);
}

// The longest Ruffle address taken: far beyond any real one, short of a page that a
// hostile settings file could bloat.
constexpr size_t kLongestAddress = 2000;

// Any address without blanks or control characters: absolute, or relative to the
// page. The CDN's own address, and no text, both mean the CDN.
bool ReadRuffle(std::string_view text, MovieOptions& options, std::string& expected) {
    bool valid = text.size() <= kLongestAddress;
    for (size_t i = 0; valid && i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        valid = c > 0x20 && c != 0x7F;
    }
    if (!valid) {
        expected = "the web address of Ruffle's ruffle.js, without blanks";
        return false;
    }
    options.ruffleAddress = text == kRuffleCdnAddress ? std::string() : std::string(text);
    return true;
}

// The address the page uses, the CDN's when none was given, so the dialog shows it.
std::string WriteRuffle(const MovieOptions& options) {
    return options.ruffleAddress.empty() ? kRuffleCdnAddress : options.ruffleAddress;
}

constexpr MovieOptionField kFields[] = {
    {"upright", MovieOptionKind::kSwitch, "Turn photos upright", "turn photos upright", "",
     ReadSwitch<&MovieOptions::upright>, WriteSwitch<&MovieOptions::upright>},
    {"fit", MovieOptionKind::kChoice, "Fit", "fit", "stretch|contain|cover", ReadFit, WriteFit},
    {"background", MovieOptionKind::kText, "Background colour", "background colour", "",
     ReadBackground, WriteBackground},
    {"quality", MovieOptionKind::kText, "JPEG quality", "JPEG quality", "", ReadQuality,
     WriteQuality},
    {"seconds", MovieOptionKind::kText, "Seconds per picture", "seconds per picture", "",
     ReadSecondsOf<&MovieOptions::pictureMilliseconds>,
     WriteSecondsOf<&MovieOptions::pictureMilliseconds>},
    {"crossfade", MovieOptionKind::kText, "Crossfade (seconds)", "crossfade", "",
     ReadSecondsOf<&MovieOptions::crossfadeMilliseconds>,
     WriteSecondsOf<&MovieOptions::crossfadeMilliseconds>},
    {"stop-at-end", MovieOptionKind::kSwitch, "Stop at the last picture",
     "stop at the last picture", "", ReadSwitch<&MovieOptions::stopAtEnd>,
     WriteSwitch<&MovieOptions::stopAtEnd>},
    {"smooth", MovieOptionKind::kSwitch, "Smooth pictures when scaled",
     "smooth pictures when scaled", "", ReadSwitch<&MovieOptions::smooth>,
     WriteSwitch<&MovieOptions::smooth>},
    {"html", MovieOptionKind::kSwitch, "Also write a web page", "also write a web page", "",
     ReadSwitch<&MovieOptions::webPage>, WriteSwitch<&MovieOptions::webPage>},
    {"ruffle", MovieOptionKind::kText, "Ruffle address", "Ruffle address", "", ReadRuffle,
     WriteRuffle},
};

}  // namespace

std::span<const MovieOptionField> MovieOptionFields() {
    return kFields;
}

const MovieOptionField* FindMovieOptionField(std::string_view key) {
    for (const MovieOptionField& field : kFields) {
        if (key == field.key) {
            return &field;
        }
    }
    return nullptr;
}

std::string InvalidOptionMessage(const MovieOptionField& field, std::string_view text,
                                 const std::string& expected) {
    return "Invalid " + std::string(field.noun) + " '" + std::string(text) + "': expected " +
           expected + ".";
}

std::map<std::string, std::string> MovieOptionTexts(const MovieOptions& options) {
    std::map<std::string, std::string> texts;
    for (const MovieOptionField& field : kFields) {
        texts[field.key] = field.write(options);
    }
    return texts;
}

MovieOptions MovieOptionsFromTexts(const std::map<std::string, std::string>& texts) {
    MovieOptions options;
    for (const MovieOptionField& field : kFields) {
        const auto found = texts.find(field.key);
        MovieOptions read = options;
        std::string expected;
        if (found != texts.end() && field.read(found->second, read, expected)) {
            options = read;
        }
    }
    // A crossfade longer than the pictures are shown cannot be built: it goes back to
    // a cut, and the seconds stay.
    if (!CrossfadeConflict(options).empty()) {
        options.crossfadeMilliseconds = 0;
    }
    return options;
}
