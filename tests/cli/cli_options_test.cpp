// The command line of reelwright-cli: accepted words, defaults, and the one-line
// messages for words it refuses.
#include <gtest/gtest.h>

#include "cli/cli_options.h"

namespace {

CliParseResult Parse(std::vector<std::string> words) {
    return ParseCliOptions(words);
}

TEST(CliOptions, DefaultsAreTheDialogsFrameSizeAndRate) {
    const CliParseResult result = Parse({"-o", "show.swf", "a.jpg"});
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->settings.width, 280);
    EXPECT_EQ(result.options->settings.height, 210);
    EXPECT_EQ(result.options->settings.rate, 10);
    EXPECT_FALSE(result.options->quiet);
    EXPECT_FALSE(result.options->strict);
    EXPECT_FALSE(result.options->open);
}

TEST(CliOptions, LongShortAndGluedFormsAreEquivalent) {
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"--output", "m.SWF", "--size", "640x480", "--rate", "25", "p"},
          std::vector<std::string>{"--output=m.SWF", "--size=640X480", "--rate=25", "p"},
          std::vector<std::string>{"-om.SWF", "-s640x480", "-r25", "p"}}) {
        const CliParseResult result = ParseCliOptions(words);
        ASSERT_TRUE(result.options) << result.error;
        EXPECT_EQ(result.options->outputPath, "m.SWF");
        EXPECT_EQ(result.options->settings.width, 640);
        EXPECT_EQ(result.options->settings.height, 480);
        EXPECT_EQ(result.options->settings.rate, 25);
    }
}

TEST(CliOptions, PicturesFoldersAndListsKeepTheirOrder) {
    const CliParseResult result =
        Parse({"b.png", "-l", "list.txt", "-o", "x.swf", "dir", "--list", "-", "--", "-odd.jpg"});
    ASSERT_TRUE(result.options) << result.error;
    const std::vector<CliInput> expected{
        {false, "b.png"}, {true, "list.txt"}, {false, "dir"}, {true, "-"}, {false, "-odd.jpg"}};
    EXPECT_EQ(result.options->inputs, expected);
}

TEST(CliOptions, RefusesWhatItCannotUse) {
    EXPECT_EQ(Parse({"a.jpg"}).error, "no output movie given (use -o MOVIE.swf)");
    EXPECT_EQ(Parse({"-o", "movie.swf.txt", "a.jpg"}).error,
              "output movie 'movie.swf.txt' must end in .swf");
    EXPECT_EQ(Parse({"-o", "movie.swf"}).error, "no pictures given");
    EXPECT_EQ(Parse({"-o", "m.swf", "-s", "280", "a"}).error,
              "invalid frame size '280' (expected WxH, e.g. 280x210)");
    EXPECT_EQ(Parse({"-o", "m.swf", "-s", "280x", "a"}).error,
              "invalid frame size '280x' (expected WxH, e.g. 280x210)");
    EXPECT_EQ(Parse({"-o", "m.swf", "-r", "ten", "a"}).error,
              "invalid frame rate 'ten' (expected an integer)");
    EXPECT_EQ(Parse({"-o", "m.swf", "-r", "99999999999", "a"}).error,
              "invalid frame rate '99999999999' (expected an integer)");
    EXPECT_EQ(Parse({"-o", "m.swf", "--fastest", "a"}).error, "unknown option '--fastest'");
    for (const char* jobs : {"0", "-2", "257", "two", ""}) {
        EXPECT_EQ(Parse({"-o", "m.swf", "-j", jobs, "a"}).error,
                  std::string("invalid number of jobs '") + jobs +
                      "' (expected a whole number from 1 to 256)");
    }
    EXPECT_EQ(Parse({"-o", "m.swf", "--strict=yes", "a"}).error, "option --strict takes no value");
    EXPECT_EQ(Parse({"a.jpg", "-o"}).error, "option -o needs a value");
}

TEST(CliOptions, JobsAndFastDecode) {
    EXPECT_EQ(Parse({"-o", "m.swf", "a"}).options->threads, 0);
    EXPECT_FALSE(Parse({"-o", "m.swf", "a"}).options->fastDecode);
    const CliParseResult result = Parse({"-j4", "--fast", "-o", "m.swf", "a"});
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->threads, 4);
    EXPECT_TRUE(result.options->fastDecode);
    EXPECT_EQ(Parse({"--jobs=256", "-o", "m.swf", "a"}).options->threads, 256);
}

TEST(CliOptions, MovieOptionsTakeTheirTextFormsAndARefusedValueIsNamed) {
    EXPECT_EQ(Parse({"-o", "m.swf", "a"}).options->movie, MovieOptions{});
    const CliParseResult result = Parse({"--upright", "--fit", "contain", "--background=#102030",
                                         "--quality", "35", "-o", "m.swf", "a"});
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->movie, (MovieOptions{true, PictureFit::kContain, 0x102030, 35}));
    EXPECT_EQ(Parse({"--fit=COVER", "-o", "m.swf", "a"}).options->movie.fit, PictureFit::kCover);
    const CliParseResult timed =
        Parse({"--seconds", "3", "--crossfade=0.5", "--stop-at-end", "-o", "m.swf", "a"});
    ASSERT_TRUE(timed.options) << timed.error;
    EXPECT_EQ(timed.options->movie,
              (MovieOptions{false, PictureFit::kStretch, 0, 80, 3000, 500, true}));
    const CliParseResult web =
        Parse({"--smooth", "--html", "--ruffle", "/r/ruffle.js", "-o", "m.swf", "a"});
    ASSERT_TRUE(web.options) << web.error;
    EXPECT_EQ(web.options->movie, (MovieOptions{false, PictureFit::kStretch, 0, 80, 0, 0, false,
                                                true, true, "/r/ruffle.js"}));

    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"--fit", "diagonal"}, "invalid fit 'diagonal' (expected stretch, contain or cover)"},
        {{"--quality", "0"}, "invalid JPEG quality '0' (expected a whole number from 1 to 100)"},
        {{"--quality=101"}, "invalid JPEG quality '101' (expected a whole number from 1 to 100)"},
        {{"--background", "red"},
         "invalid background colour 'red' (expected RRGGBB, six hexadecimal digits such as "
         "000000 for black)"},
        {{"--upright=yes"}, "option --upright takes no value"},
        {{"--seconds", "-2"},
         "invalid seconds per picture '-2' (expected a number of seconds from 0 to 3600, such "
         "as 3 or 0.5)"},
        {{"--crossfade", "1"}, "the crossfade (1 s) is longer than the seconds per picture (0 s)"},
        {{"--seconds", "2", "--crossfade", "2.5"},
         "the crossfade (2.5 s) is longer than the seconds per picture (2 s)"},
        {{"--stop-at-end=true"}, "option --stop-at-end takes no value"},
        {{"--html=yes"}, "option --html takes no value"},
        {{"--ruffle", "my ruffle.js"},
         "invalid Ruffle address 'my ruffle.js' (expected the web address of Ruffle's ruffle.js, "
         "without blanks)"},
    };
    for (const auto& [words, error] : refusals) {
        std::vector<std::string> arguments{"-o", "m.swf", "a"};
        arguments.insert(arguments.end(), words.begin(), words.end());
        EXPECT_EQ(Parse(arguments).error, error);
    }
}

TEST(CliOptions, HelpAndVersionNeedNothingElse) {
    EXPECT_TRUE(Parse({"-h"}).options->help);
    EXPECT_TRUE(Parse({"--version"}).options->version);
}

TEST(CliOptions, ZeroAndNegativeNumbersPassAsTheDialogAcceptsThem) {
    int32_t width = 1;
    int32_t height = 1;
    EXPECT_TRUE(ParseFrameSize("0x-5", width, height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, -5);
    int32_t value = 0;
    EXPECT_FALSE(ParseCliInteger(" 5", value));
    EXPECT_FALSE(ParseCliInteger("5 ", value));
    EXPECT_FALSE(ParseCliInteger("\n5", value));
    EXPECT_FALSE(ParseCliInteger("\v5", value));
    EXPECT_FALSE(ParseCliInteger("", value));
    EXPECT_TRUE(ParseCliInteger("-2147483648", value));
    EXPECT_EQ(value, INT32_MIN);
}

}  // namespace
