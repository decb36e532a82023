#include "cli/cli_options.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "slideshow/movie_option_fields.h"
#include "slideshow/movie_timing.h"
#include "slideshow/output_name.h"

bool ParseCliInteger(const std::string& text, int32_t& value) {
    // strtoll would skip any white space in front; nothing may stand there.
    if (text.empty() || !(text.front() == '+' || text.front() == '-' ||
                          (text.front() >= '0' && text.front() <= '9'))) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || parsed < INT32_MIN ||
        parsed > INT32_MAX) {
        return false;
    }
    value = static_cast<int32_t>(parsed);
    return true;
}

bool ParseFrameSize(const std::string& text, int32_t& width, int32_t& height) {
    const size_t separator = text.find_first_of("xX");
    if (separator == std::string::npos) {
        return false;
    }
    int32_t w = 0;
    int32_t h = 0;
    if (!ParseCliInteger(text.substr(0, separator), w) ||
        !ParseCliInteger(text.substr(separator + 1), h)) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

namespace {

// One option of the command line: its names, the name of its value (null for a
// switch), its lines of the usage text, and what it does to the options.
struct CliOptionRow {
    const char* shortName;  // "-o", or null
    const char* longName;   // "--output"
    const char* valueName;  // "MOVIE.swf", or null for a switch
    const char* help;       // one line, or several separated by '\n'
    // Takes the option's value (empty for a switch) into the options; false, with the
    // message in `error`, for a value it refuses.
    bool (*apply)(CliOptions& options, const std::string& value, std::string& error);
    // An option of the movie (movie_option_fields.h) whose key is the long name
    // without its dashes: its text form is read there, and a switch sets it on.
    bool movieOption = false;
};

bool ApplyOutput(CliOptions& options, const std::string& value, std::string&) {
    options.outputPath = value;
    return true;
}

bool ApplySize(CliOptions& options, const std::string& value, std::string& error) {
    if (!ParseFrameSize(value, options.settings.width, options.settings.height)) {
        error = "invalid frame size '" + value + "' (expected WxH, e.g. 280x210)";
        return false;
    }
    return true;
}

bool ApplyRate(CliOptions& options, const std::string& value, std::string& error) {
    if (!ParseCliInteger(value, options.settings.rate)) {
        error = "invalid frame rate '" + value + "' (expected an integer)";
        return false;
    }
    return true;
}

bool ApplyList(CliOptions& options, const std::string& value, std::string&) {
    options.inputs.push_back({true, value});
    return true;
}

bool ApplyJobs(CliOptions& options, const std::string& value, std::string& error) {
    if (!ParseCliInteger(value, options.threads) || options.threads < 1 ||
        options.threads > kMaxCliThreads) {
        error = "invalid number of jobs '" + value + "' (expected a whole number from 1 to " +
                std::to_string(kMaxCliThreads) + ")";
        return false;
    }
    return true;
}

// An option of the movie, read by its own text form: a switch is the text "true".
bool ApplyMovieOption(const CliOptionRow& row, CliOptions& options, const std::string& value,
                      std::string& error) {
    const MovieOptionField* field = FindMovieOptionField(row.longName + 2);
    const std::string text = row.valueName == nullptr ? kSwitchOn : value;
    std::string expected;
    if (field == nullptr || !field->read(text, options.movie, expected)) {
        error = "invalid " + std::string(field != nullptr ? field->noun : row.longName) + " '" +
                text + "' (expected " + expected + ")";
        return false;
    }
    return true;
}

// A switch sets one flag of the options.
template <bool CliOptions::*Flag>
bool ApplySwitch(CliOptions& options, const std::string&, std::string&) {
    options.*Flag = true;
    return true;
}

// Every option, in the order the usage text lists them.
constexpr CliOptionRow kCliOptionTable[] = {
    {"-o", "--output", "MOVIE.swf", "the movie to write (must end in .swf)", ApplyOutput},
    {"-s", "--size", "WxH", "frame size in pixels (default 280x210)", ApplySize},
    {"-r", "--rate", "N", "frames per second (default 10)", ApplyRate},
    {"-l", "--list", "FILE", "read picture paths from FILE, one a line (- for stdin)", ApplyList},
    {"-j", "--jobs", "N",
     "fit pictures on N threads (default: one per processor);\n"
     "the movie is the same whatever N",
     ApplyJobs},
    {nullptr, "--fast", nullptr,
     "decode JPEG pictures at a reduced scale that still\n"
     "covers the frame: faster, very slightly less exact",
     ApplySwitch<&CliOptions::fastDecode>},
    {nullptr, "--upright", nullptr, "turn JPEG photos upright by their EXIF orientation", nullptr,
     true},
    {nullptr, "--fit", "MODE",
     "how a picture meets the frame: stretch (default),\n"
     "contain (whole, on borders of the background) or\n"
     "cover (the frame filled, the overflow cropped)",
     nullptr, true},
    {nullptr, "--background", "RRGGBB",
     "the movie's background and contain's borders\n"
     "(default 000000, black)",
     nullptr, true},
    {nullptr, "--quality", "N", "JPEG quality of the frames, 1-100 (default 80)", nullptr, true},
    {nullptr, "--seconds", "S",
     "show each picture S seconds (\"3\", \"0.5\"), as\n"
     "round(S x rate) frames (default: one frame each)",
     nullptr, true},
    {nullptr, "--crossfade", "S",
     "fade each picture in over S seconds of its own\n"
     "time, at most --seconds (default 0: a cut)",
     nullptr, true},
    {nullptr, "--stop-at-end", nullptr, "stop on the last picture instead of looping", nullptr,
     true},
    {nullptr, "--smooth", nullptr,
     "a movie of version 8, whose players smooth its\n"
     "pictures when they show them scaled (default:\n"
     "version 3)",
     nullptr, true},
    {nullptr, "--html", nullptr,
     "also write MOVIE.html beside the movie: a web page\n"
     "that plays it with Ruffle",
     nullptr, true},
    {nullptr, "--ruffle", "URL",
     "where that page loads Ruffle's ruffle.js from\n"
     "(default: the public CDN, Ruffle 0.6.0)",
     nullptr, true},
    {"-q", "--quiet", nullptr, "no progress bar and no summary line",
     ApplySwitch<&CliOptions::quiet>},
    {nullptr, "--strict", nullptr, "an unreadable picture is an error (no movie is left)",
     ApplySwitch<&CliOptions::strict>},
    {nullptr, "--open", nullptr, "open the finished movie with the desktop's viewer",
     ApplySwitch<&CliOptions::open>},
    {"-h", "--help", nullptr, "show this help and exit", ApplySwitch<&CliOptions::help>},
    {"-V", "--version", nullptr, "show the version and exit", ApplySwitch<&CliOptions::version>},
};

const CliOptionRow* FindOption(const std::string& name) {
    for (const CliOptionRow& row : kCliOptionTable) {
        if ((row.shortName != nullptr && name == row.shortName) || name == row.longName) {
            return &row;
        }
    }
    return nullptr;
}

// One word that starts an option, split into its name and a value written into the
// same word: "--size=640x480", or a short option's glued value, "-s640x480".
struct OptionWord {
    std::string name;
    std::optional<std::string> value;
};

OptionWord SplitOptionWord(const std::string& word) {
    const size_t equals = word.find('=');
    if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
        return {word.substr(0, equals), word.substr(equals + 1)};
    }
    if (word.size() > 2 && word[1] != '-') {
        return {word.substr(0, 2), word.substr(2)};
    }
    return {word, std::nullopt};
}

// Options without an action of their own need an output movie and pictures.
std::string CheckCompleteness(const CliOptions& options) {
    if (options.help || options.version) {
        return {};
    }
    if (options.outputPath.empty()) {
        return "no output movie given (use -o MOVIE.swf)";
    }
    if (!HasSwfExtension(options.outputPath)) {
        return "output movie '" + options.outputPath + "' must end in .swf";
    }
    if (options.inputs.empty()) {
        return "no pictures given";
    }
    return {};
}

}  // namespace

CliParseResult ParseCliOptions(const std::vector<std::string>& arguments) {
    CliParseResult result;
    CliOptions options;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (optionsEnded || word == "-" || word.empty() || word[0] != '-') {
            options.inputs.push_back({false, word});
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        OptionWord option = SplitOptionWord(word);
        const CliOptionRow* row = FindOption(option.name);
        if (row == nullptr) {
            result.error = "unknown option '" + word + "'";
            return result;
        }
        if (row->valueName == nullptr && option.value) {
            result.error = "option " + option.name + " takes no value";
            return result;
        }
        if (row->valueName != nullptr && !option.value) {
            if (i + 1 >= arguments.size()) {
                result.error = "option " + option.name + " needs a value";
                return result;
            }
            option.value = arguments[++i];
        }
        const std::string value = option.value.value_or("");
        if (!(row->movieOption ? ApplyMovieOption(*row, options, value, result.error)
                               : row->apply(options, value, result.error))) {
            return result;
        }
    }
    result.error = CrossfadeConflict(options.movie);
    if (result.error.empty()) {
        result.error = CheckCompleteness(options);
    }
    if (result.error.empty()) {
        result.options = std::move(options);
    }
    return result;
}

std::string CliUsage() {
    std::string usage =
        "Usage: reelwright-cli [options] -o MOVIE.swf PICTURE|FOLDER...\n"
        "Turns pictures (BMP, JPEG, PNG, TGA, ICO; any format by content) into an SWF\n"
        "slideshow, one picture per frame, each stretched to the frame size unless\n"
        "--fit says otherwise.\n"
        "\n";
    // Each option's names and value fill a column of 23 characters; its help lines
    // stand beside it.
    constexpr size_t kNamesWidth = 23;
    for (const CliOptionRow& row : kCliOptionTable) {
        std::string names = row.shortName != nullptr ? std::string(row.shortName) + ", " : "    ";
        names += row.longName;
        if (row.valueName != nullptr) {
            names += std::string(" ") + row.valueName;
        }
        names.resize(std::max(names.size(), kNamesWidth), ' ');
        std::string_view help = row.help;
        for (bool first = true; !help.empty(); first = false) {
            const size_t end = std::min(help.find('\n'), help.size());
            usage += "  " + (first ? names : std::string(kNamesWidth, ' ')) + "  ";
            usage.append(help.substr(0, end));
            usage += '\n';
            help.remove_prefix(std::min(end + 1, help.size()));
        }
    }
    return usage +
           "\n"
           "A FOLDER adds the pictures directly inside it (.jpg .jpeg .bmp .png .tga .ico\n"
           ".webp .heic .heif .avif, any case), sorted by name (IMG_2 before IMG_10).\n"
           "Ctrl-C stops the build and leaves any earlier movie of that name as it was.\n"
           "Exit status: 0 done, 1 build failed, 2 usage error, 129, 130 or 143 when stopped\n"
           "by SIGHUP, SIGINT or SIGTERM.\n";
}
