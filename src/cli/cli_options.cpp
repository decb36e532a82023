#include "cli/cli_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

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

// Splits "--name=value" into name and value; other words come back whole.
void SplitLongOption(const std::string& word, std::string& name,
                     std::optional<std::string>& value) {
    const size_t equals = word.find('=');
    if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
        name = word.substr(0, equals);
        value = word.substr(equals + 1);
    } else {
        name = word;
        value.reset();
    }
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
        std::string name;
        std::optional<std::string> inlineValue;
        SplitLongOption(word, name, inlineValue);
        // Short options may carry their value glued on: -oshow.swf, -s640x480.
        if (name.size() > 2 && name[1] != '-') {
            inlineValue = name.substr(2);
            name = name.substr(0, 2);
        }

        auto takeValue = [&](std::string& value) -> bool {
            if (inlineValue) {
                value = *inlineValue;
                return true;
            }
            if (i + 1 >= arguments.size()) {
                result.error = "option " + name + " needs a value";
                return false;
            }
            value = arguments[++i];
            return true;
        };
        auto refuseValue = [&]() -> bool {
            if (inlineValue) {
                result.error = "option " + name + " takes no value";
                return false;
            }
            return true;
        };

        std::string value;
        if (name == "-o" || name == "--output") {
            if (!takeValue(value)) {
                return result;
            }
            options.outputPath = value;
        } else if (name == "-s" || name == "--size") {
            if (!takeValue(value)) {
                return result;
            }
            if (!ParseFrameSize(value, options.settings.width, options.settings.height)) {
                result.error = "invalid frame size '" + value + "' (expected WxH, e.g. 280x210)";
                return result;
            }
        } else if (name == "-r" || name == "--rate") {
            if (!takeValue(value)) {
                return result;
            }
            if (!ParseCliInteger(value, options.settings.rate)) {
                result.error = "invalid frame rate '" + value + "' (expected an integer)";
                return result;
            }
        } else if (name == "-j" || name == "--jobs") {
            if (!takeValue(value)) {
                return result;
            }
            if (!ParseCliInteger(value, options.threads) || options.threads < 1 ||
                options.threads > kMaxCliThreads) {
                result.error = "invalid number of jobs '" + value +
                               "' (expected a whole number from 1 to " +
                               std::to_string(kMaxCliThreads) + ")";
                return result;
            }
        } else if (name == "--fast") {
            if (!refuseValue()) {
                return result;
            }
            options.fastDecode = true;
        } else if (name == "-l" || name == "--list") {
            if (!takeValue(value)) {
                return result;
            }
            options.inputs.push_back({true, value});
        } else if (name == "-q" || name == "--quiet") {
            if (!refuseValue()) {
                return result;
            }
            options.quiet = true;
        } else if (name == "--strict") {
            if (!refuseValue()) {
                return result;
            }
            options.strict = true;
        } else if (name == "--open") {
            if (!refuseValue()) {
                return result;
            }
            options.open = true;
        } else if (name == "-h" || name == "--help") {
            if (!refuseValue()) {
                return result;
            }
            options.help = true;
        } else if (name == "-V" || name == "--version") {
            if (!refuseValue()) {
                return result;
            }
            options.version = true;
        } else {
            result.error = "unknown option '" + word + "'";
            return result;
        }
    }

    if (!options.help && !options.version) {
        if (options.outputPath.empty()) {
            result.error = "no output movie given (use -o MOVIE.swf)";
            return result;
        }
        if (!HasSwfExtension(options.outputPath)) {
            result.error = "output movie '" + options.outputPath + "' must end in .swf";
            return result;
        }
        if (options.inputs.empty()) {
            result.error = "no pictures given";
            return result;
        }
    }
    result.options = std::move(options);
    return result;
}

std::string CliUsage() {
    return "Usage: reelwright-cli [options] -o MOVIE.swf PICTURE|FOLDER...\n"
           "Turns pictures (BMP, JPEG, PNG, TGA, ICO; any format by content) into an SWF\n"
           "slideshow, one picture per frame, each stretched to the frame size.\n"
           "\n"
           "  -o, --output MOVIE.swf  the movie to write (must end in .swf)\n"
           "  -s, --size WxH          frame size in pixels (default 280x210)\n"
           "  -r, --rate N            frames per second (default 10)\n"
           "  -l, --list FILE         read picture paths from FILE, one a line (- for stdin)\n"
           "  -j, --jobs N            fit pictures on N threads (default: one per processor);\n"
           "                          the movie is the same whatever N\n"
           "      --fast              decode JPEG pictures at a reduced scale that still\n"
           "                          covers the frame: faster, very slightly less exact\n"
           "  -q, --quiet             no progress bar and no summary line\n"
           "      --strict            an unreadable picture is an error (no movie is left)\n"
           "      --open              open the finished movie with the desktop's viewer\n"
           "  -h, --help              show this help and exit\n"
           "  -V, --version           show the version and exit\n"
           "\n"
           "A FOLDER adds the pictures directly inside it (.jpg .jpeg .bmp .png .tga .ico,\n"
           "any case), sorted by name (IMG_2 before IMG_10). Ctrl-C stops the build and\n"
           "leaves any earlier movie of that name as it was.\n"
           "Exit status: 0 done, 1 build failed, 2 usage error, 130 or 143 when stopped by\n"
           "SIGINT or SIGTERM.\n";
}
