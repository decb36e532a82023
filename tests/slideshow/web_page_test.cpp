// The web page beside a movie and the smoothed movie: the page read back by an HTML5
// parser (Python's html5lib, strict, as a validator reads it) for hostile names,
// the page's place in the build (written whole before the movie takes its name, an
// earlier page replaced only by a complete build), and a smoothed movie that is the
// plain one as version 8 with FileAttributes first, which ffmpeg still reads.
#include "slideshow/web_page.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "slideshow/slideshow_build.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

namespace fs = std::filesystem;

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples/";

// Debian's own Python, which has html5lib (python3-html5lib); a python3 of another
// make earlier on PATH may not.
const char* const kDebianPython = "/usr/bin/python3";

// Parses the page strictly (a parse error fails) and prints what a reader of the
// page meets, one fact a line.
const char* const kPageFacts = R"(
import sys, html5lib
with open(sys.argv[1], 'rb') as page:
    document = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False).parse(page)
head = document.find('head')
stage = document.find('.//div[@id="stage"]')
link = document.find('.//a[@download]')
print('lang', document.get('lang'))
print('charset', head[0].tag, head[0].get('charset'))
print('title', head.find('title').text)
print('movie', stage.get('data-movie'))
print('ruffle', stage.get('data-ruffle'))
print('link', link.get('href'), link.text)
)";

TEST(WebPage, ItsPathIsTheMoviesWithHtmlForSwf) {
    EXPECT_EQ(WebPagePath("SHOW.SWF"), "SHOW.html");
    EXPECT_EQ(WebPagePath("/home/me/Holiday.swf"), "/home/me/Holiday.html");
    EXPECT_EQ(WebPagePath("a.b/x.Swf"), "a.b/x.html");
}

TEST(WebPage, HostileNamesGiveAWellFormedPageThatNamesThemExactly) {
    ASSERT_EQ(access(kDebianPython, X_OK), 0)
        << kDebianPython << " is missing; scripts/setup.sh installs it with python3-html5lib";
    ScratchFolder scratch;
    struct Case {
        std::string movieName;
        std::string ruffle;
        std::string facts;
    };
    const Case cases[] = {
        {"SHOW.SWF", "",
         "lang en\ncharset meta utf-8\ntitle SHOW\nmovie SHOW.SWF\n"
         "ruffle https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js\n"
         "link SHOW.SWF Download the movie SHOW.SWF\n"},
        {"<b>&\"x\".swf", "r/ruffle.js?a=1&b=\"2\"",
         "lang en\ncharset meta utf-8\ntitle <b>&\"x\"\nmovie %3Cb%3E%26%22x%22.swf\n"
         "ruffle r/ruffle.js?a=1&b=\"2\"\n"
         "link %3Cb%3E%26%22x%22.swf Download the movie <b>&\"x\".swf\n"},
        {"#1 ?%20 'é' \t</script>.SWF", "",
         "lang en\ncharset meta utf-8\ntitle #1 ?%20 'é'  </script>\n"
         "movie %231%20%3F%2520%20%27%C3%A9%27%20%09%3C%2Fscript%3E.SWF\n"
         "ruffle https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js\n"
         "link %231%20%3F%2520%20%27%C3%A9%27%20%09%3C%2Fscript%3E.SWF Download the movie "
         "#1 ?%20 'é'  </script>.SWF\n"},
        // Bytes that are no UTF-8: shown as U+FFFD, linked as they are.
        {"\xff\xc3(\xed\xa0\x80.swf", "",
         "lang en\ncharset meta utf-8\ntitle \xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD"
         "\xEF\xBF\xBD\nmovie %FF%C3%28%ED%A0%80.swf\n"
         "ruffle https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js\n"
         "link %FF%C3%28%ED%A0%80.swf Download the movie \xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD"
         "\xEF\xBF\xBD\xEF\xBF\xBD.swf\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.movieName);
        ASSERT_TRUE(WriteFileText(scratch.File("page.html"),
                                  WebPageText({c.movieName, 280, 210, 0x000000, c.ruffle})));
        const ProgramRun run = RunProgram(
            {kDebianPython, "-c", kPageFacts, scratch.File("page.html")}, scratch.Path());
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.exitStatus, 0) << run.errors;
        EXPECT_EQ(run.output, c.facts);
    }
}

TEST(WebPage, TheStageHasTheFrameSizeOnTheBackgroundWithReadableText) {
    struct Case {
        int32_t width;
        int32_t height;
        uint32_t background;
        const char* colours;
        const char* stage;
    };
    const Case cases[] = {
        {280, 210, 0x000000, "background: #000000; color: #FFFFFF; }",
         "#stage { width: 280px; height: 210px; }"},
        {640, 480, 0xF0E0D0, "background: #F0E0D0; color: #000000; }",
         "#stage { width: 640px; height: 480px; }"},
        {-5, 0, 0x3366CC, "background: #3366CC; color: #FFFFFF; }",
         "#stage { width: 0px; height: 0px; }"},
    };
    for (const Case& c : cases) {
        const std::string page = WebPageText({"M.SWF", c.width, c.height, c.background, ""});
        EXPECT_NE(page.find(c.colours), std::string::npos) << c.colours;
        EXPECT_NE(page.find(c.stage), std::string::npos) << c.stage;
    }
}

class WebPageBuildTest : public ::testing::Test {
  protected:
    SlideshowBuildResult Build(const MovieOptions& options,
                               const std::vector<std::string>& pictures = {
                                   kExamples + "01-sunrise.jpg", kExamples + "02-blocks.png"}) {
        SlideshowBuildRequest request{pictures, MovieSettings{320, 240, 12}, Movie()};
        request.options = options;
        return RunSlideshowBuild(request, nullptr, nullptr);
    }
    std::string Movie() const { return scratch_.File("SHOW.SWF"); }
    std::string Page() const { return scratch_.File("SHOW.html"); }
    size_t FilesInFolder() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(scratch_.Path()), fs::directory_iterator{}));
    }

    ScratchFolder scratch_;
};

TEST_F(WebPageBuildTest, ThePageIsWrittenBesideTheMovieOnlyWhenAsked) {
    ASSERT_TRUE(Build(MovieOptions{}).ok);
    EXPECT_FALSE(fs::exists(Page()));
    MovieOptions options;
    options.webPage = true;
    options.background = 0x102030;
    const SlideshowBuildResult result = Build(options);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(ReadFileText(Page()), WebPageText({"SHOW.SWF", 320, 240, 0x102030, ""}));
    EXPECT_EQ(FilesInFolder(), 2u);
}

TEST_F(WebPageBuildTest, APageThatCannotBeWrittenLeavesTheEarlierMovieAndPage) {
    ASSERT_TRUE(WriteFileText(Movie(), "an earlier movie"));
    MovieOptions options;
    options.webPage = true;
    // A folder where the page should go: refused, and the movie keeps its old bytes.
    fs::create_directory(Page());
    SlideshowBuildResult result = Build(options);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error,
              "The web page \"" + Page() + "\" was not written: it names no regular file.");
    EXPECT_EQ(ReadFileText(Movie()), "an earlier movie");
    EXPECT_TRUE(fs::is_directory(Page()));
    EXPECT_EQ(FilesInFolder(), 2u);

    // A build that fails (a frame too large) leaves an earlier page as it was.
    fs::remove(Page());
    ASSERT_TRUE(WriteFileText(Page(), "an earlier page"));
    SlideshowBuildRequest tooLarge{{}, MovieSettings{2000, 100, 10}, Movie()};
    tooLarge.options = options;
    EXPECT_FALSE(RunSlideshowBuild(tooLarge, nullptr, nullptr).ok);
    EXPECT_EQ(ReadFileText(Page()), "an earlier page");
    EXPECT_EQ(FilesInFolder(), 2u);
}

// The smoothed movie is the plain one with version 8 in its header and the 6 bytes
// of FileAttributes (44 11 00 00 00 00) before its first tag; ffmpeg reads both.
TEST_F(WebPageBuildTest, ASmoothedMovieIsThePlainOneAsVersion8) {
    REQUIRE_PROGRAM("ffprobe");
    ASSERT_TRUE(Build(MovieOptions{}).ok);
    const std::vector<uint8_t> plain = ReadFileBytes(Movie());
    MovieOptions options;
    options.smooth = true;
    ASSERT_TRUE(Build(options).ok);
    const std::vector<uint8_t> smooth = ReadFileBytes(Movie());

    // The 280 x 210 header's RECT is 8 bytes: the first tag starts at byte 20.
    ASSERT_GT(plain.size(), 20u);
    std::vector<uint8_t> expected(plain.begin(), plain.begin() + 20);
    expected[3] = 8;
    const uint32_t length = static_cast<uint32_t>(plain.size() + 6);
    for (int i = 0; i < 4; ++i) {
        expected[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    expected.insert(expected.end(), {0x44, 0x11, 0x00, 0x00, 0x00, 0x00});
    expected.insert(expected.end(), plain.begin() + 20, plain.end());
    EXPECT_TRUE(smooth == expected);

    const ProgramRun run = RunProgram({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                                       "stream=nb_read_frames", "-of", "csv=p=0", Movie()},
                                      scratch_.Path());
    EXPECT_EQ(run.output, "2\n") << run.errors;
}

}  // namespace
