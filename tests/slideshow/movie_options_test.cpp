// The movie options' text forms, shared by the command line, the dialog and the
// settings file: what each option takes and refuses, what it writes, and a file's
// texts read one key at a time, so a damaged or hostile value costs only its own
// option.
#include "slideshow/movie_option_fields.h"

#include <gtest/gtest.h>

#include "slideshow/web_page.h"

namespace {

TEST(MovieOptionFields, EachOptionTakesItsTextsAndRefusesOthersSayingWhatItExpects) {
    struct Case {
        const char* key;
        const char* text;
        bool taken;
        const char* written;  // the text the taken value writes back
    };
    const Case cases[] = {
        {"upright", "true", true, "true"},
        {"upright", "false", true, "false"},
        {"upright", "yes", false, ""},
        {"upright", "TRUE", false, ""},
        {"fit", "stretch", true, "stretch"},
        {"fit", "contain", true, "contain"},
        {"fit", "Cover", true, "cover"},
        {"fit", "fill", false, ""},
        {"fit", "", false, ""},
        {"background", "000000", true, "000000"},
        {"background", "#ff8000", true, "FF8000"},
        {"background", "1a2B3c", true, "1A2B3C"},
        {"background", "fff", false, ""},
        {"background", "0000000", false, ""},
        {"background", "00g000", false, ""},
        {"background", "#", false, ""},
        {"quality", "1", true, "1"},
        {"quality", "80", true, "80"},
        {"quality", "100", true, "100"},
        {"quality", "0", false, ""},
        {"quality", "101", false, ""},
        {"quality", "080", true, "80"},
        {"quality", "+5", false, ""},
        {"quality", " 5", false, ""},
        {"quality", "99999999999999999999", false, ""},
        {"quality", "", false, ""},
        {"seconds", "3", true, "3"},
        {"seconds", "0.5", true, "0.5"},
        {"seconds", "0.050", true, "0.05"},
        {"seconds", "1.125", true, "1.125"},
        {"seconds", "0", true, "0"},
        {"seconds", "3600", true, "3600"},
        {"seconds", "3600.001", false, ""},
        {"seconds", "0.0005", false, ""},
        {"seconds", ".5", false, ""},
        {"seconds", "3.", false, ""},
        {"seconds", "-1", false, ""},
        {"seconds", "1e3", false, ""},
        {"seconds", "0,5", false, ""},
        {"seconds", "", false, ""},
        {"crossfade", "1", true, "1"},
        {"crossfade", "0.25", true, "0.25"},
        {"crossfade", "1..5", false, ""},
        {"stop-at-end", "true", true, "true"},
        {"stop-at-end", "on", false, ""},
        {"smooth", "true", true, "true"},
        {"smooth", "on", false, ""},
        {"html", "true", true, "true"},
        {"html", "1", false, ""},
        {"ruffle", "", true, "https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js"},
        {"ruffle", "https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js", true,
         "https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js"},
        {"ruffle", "ruffle/ruffle.js", true, "ruffle/ruffle.js"},
        {"ruffle", "https://example.org/r\"<b>.js", true, "https://example.org/r\"<b>.js"},
        {"ruffle", "https://example.org/my ruffle.js", false, ""},
        {"ruffle", "https://example.org/\nruffle.js", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " '" + c.text + "'");
        const MovieOptionField* field = FindMovieOptionField(c.key);
        ASSERT_NE(field, nullptr);
        MovieOptions options;
        std::string expected;
        EXPECT_EQ(field->read(c.text, options, expected), c.taken);
        if (c.taken) {
            EXPECT_EQ(field->write(options), c.written);
        } else {
            EXPECT_EQ(options, MovieOptions{}) << "a refused text changed the options";
            EXPECT_FALSE(expected.empty());
        }
    }
    EXPECT_EQ(FindMovieOptionField("speed"), nullptr);
}

TEST(MovieOptionFields, MessagesNameTheValueAndWhatWasExpected) {
    struct Case {
        const char* key;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"quality", "0", "Invalid JPEG quality '0': expected a whole number from 1 to 100."},
        {"fit", "fill", "Invalid fit 'fill': expected stretch, contain or cover."},
        {"background", "red",
         "Invalid background colour 'red': expected RRGGBB, six hexadecimal digits such as "
         "000000 for black."},
        {"seconds", "three",
         "Invalid seconds per picture 'three': expected a number of seconds from 0 to 3600, "
         "such as 3 or 0.5."},
        {"ruffle", "my ruffle.js",
         "Invalid Ruffle address 'my ruffle.js': expected the web address of Ruffle's "
         "ruffle.js, without blanks."},
    };
    for (const Case& c : cases) {
        const MovieOptionField& field = *FindMovieOptionField(c.key);
        MovieOptions options;
        std::string expected;
        ASSERT_FALSE(field.read(c.text, options, expected));
        EXPECT_EQ(InvalidOptionMessage(field, c.text, expected), c.message);
    }
}

TEST(MovieOptionFields, DefaultsWriteThePlainSlideshowAndTextsGoBothWays) {
    EXPECT_EQ(MovieOptionTexts(MovieOptions{}),
              (std::map<std::string, std::string>{{"background", "000000"},
                                                  {"crossfade", "0"},
                                                  {"fit", "stretch"},
                                                  {"html", "false"},
                                                  {"quality", "80"},
                                                  {"ruffle", kRuffleCdnAddress},
                                                  {"seconds", "0"},
                                                  {"smooth", "false"},
                                                  {"stop-at-end", "false"},
                                                  {"upright", "false"}}));
    const MovieOptions chosen{true, PictureFit::kCover, 0x123456, 35, 3000, 1500, true, true,
                              true, "r/ruffle.js"};
    EXPECT_EQ(MovieOptionsFromTexts(MovieOptionTexts(chosen)), chosen);
    EXPECT_EQ(MovieOptionsFromTexts({}), MovieOptions{});
}

TEST(MovieOptionFields, ARefusedTextCostsOnlyItsOwnOption) {
    const std::map<std::string, std::string> texts{
        {"upright", "true"},
        {"fit", std::string(100000, 'x')},
        {"background", std::string("\xff\xfe\0 0000", 8)},
        {"quality", "42"},
        {"ruffle", std::string(2001, 'r')},
        {"smooth", "true"},
        {"unknown", "whatever"},
    };
    const MovieOptions options = MovieOptionsFromTexts(texts);
    EXPECT_TRUE(options.upright);
    EXPECT_EQ(options.fit, PictureFit::kStretch);
    EXPECT_EQ(options.background, 0x000000u);
    EXPECT_EQ(options.jpegQuality, 42);
    EXPECT_EQ(options.ruffleAddress, "");
    EXPECT_TRUE(options.smooth);
}

TEST(MovieOptionFields, AFileCrossfadeLongerThanItsSecondsBecomesACut) {
    const MovieOptions options = MovieOptionsFromTexts({{"seconds", "2"}, {"crossfade", "2.5"}});
    EXPECT_EQ(options.pictureMilliseconds, 2000);
    EXPECT_EQ(options.crossfadeMilliseconds, 0);
}

}  // namespace
