// reelwright-cli end to end, in-process: exit statuses, messages, warnings, --strict,
// folders and list files, the progress bar and --open.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/fake_platform.h"
#include "cli/cli_run.h"
#include "cli/picture_inputs.h"
#include "platform/platform.h"
#include "support/byte_builder.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples";

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun RunCli(const std::vector<std::string>& arguments, const std::string& input = "",
              Platform* platform = nullptr, std::FILE* terminal = nullptr) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CliEnvironment environment{in, out, err, terminal, platform};
    CliRun run;
    run.status = RunReelwrightCli(arguments, environment);
    run.out = out.str();
    run.err = err.str();
    return run;
}

int FrameCount(const std::string& moviePath) {
    const std::vector<uint8_t> bytes = ReadFileBytes(moviePath);
    if (bytes.size() < 12) {
        return -1;
    }
    return ParseTestMovie(bytes).frameCount;
}

void Touch(const std::string& path, const std::string& from = "") {
    if (from.empty()) {
        std::ofstream(path) << "x";
    } else {
        std::filesystem::copy_file(from, path);
    }
}

TEST(CliRun, BuildsAFolderIntoAMovieAndSaysWhereItIs) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("show.swf");
    const CliRun run = RunCli({"-o", movie, kExamples});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Wrote " + movie + ": 6 frames of 280x210 at 10 fps\n");
    EXPECT_EQ(FrameCount(movie), 6);
}

TEST(CliRun, QuietPrintsNothingAndNoTerminalMeansNoProgressBar) {
    ScratchFolder scratch;
    const CliRun run = RunCli({"-q", "-o", scratch.File("a.swf"), kExamples + "/01-sunrise.jpg"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST(CliRun, ProgressBarIsDrawnOnTheTerminalAndClearedAtTheEnd) {
    ScratchFolder scratch;
    std::FILE* terminal = std::tmpfile();
    ASSERT_NE(terminal, nullptr);
    const CliRun run = RunCli(
        {"-o", scratch.File("a.swf"), kExamples + "/01-sunrise.jpg", kExamples + "/02-blocks.png"},
        "", nullptr, terminal);
    EXPECT_EQ(run.status, 0);
    std::rewind(terminal);
    std::string drawn(4096, '\0');
    drawn.resize(std::fread(drawn.data(), 1, drawn.size(), terminal));
    std::fclose(terminal);
    EXPECT_NE(drawn.find("\r[          "), std::string::npos) << drawn;
    EXPECT_NE(drawn.find("  50%  1/2  elapsed "), std::string::npos) << drawn;
    EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\033[K");
}

TEST(CliRun, UnreadablePictureWarnsAndRepeatsTheFrameBefore) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("m.swf");
    const std::string missing = scratch.File("missing.jpg");
    const std::string garbage = scratch.File("garbage.png");
    Touch(garbage);
    const CliRun run = RunCli({"-o", movie, kExamples + "/01-sunrise.jpg", missing, garbage});
    EXPECT_EQ(run.status, 0);
    std::istringstream lines(run.err);
    std::string first;
    std::string second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first.rfind("reelwright-cli: warning: cannot read picture '" + missing + "': ", 0),
              0u)
        << run.err;
    EXPECT_EQ(second, "reelwright-cli: warning: cannot read picture '" + garbage +
                          "': Decode: Unknown or wrong format");
    EXPECT_EQ(FrameCount(movie), 3);
    EXPECT_NE(run.out.find("(2 unreadable pictures repeated the frame before)"), std::string::npos)
        << run.out;
}

TEST(CliRun, StrictStopsAtTheFirstUnreadablePictureAndLeavesNoMovie) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("m.swf");
    const std::string missing = scratch.File("missing.jpg");
    const CliRun run = RunCli({"--strict", "-o", movie, kExamples + "/01-sunrise.jpg", missing,
                               kExamples + "/02-blocks.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(std::filesystem::exists(movie));
    EXPECT_NE(run.err.find("reelwright-cli: error: cannot read picture '" + missing + "'"),
              std::string::npos);
    EXPECT_NE(run.err.find("reelwright-cli: no movie written: '" + missing +
                           "' could not be read (--strict)\n"),
              std::string::npos);
}

TEST(CliRun, StrictAlsoStopsAtAnEmptyPicturePath) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("m.swf");
    const CliRun run =
        RunCli({"--strict", "-o", movie, kExamples + "/01-sunrise.jpg", "", kExamples});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(std::filesystem::exists(movie));
    EXPECT_NE(run.err.find("reelwright-cli: no movie written: '' could not be read (--strict)\n"),
              std::string::npos)
        << run.err;
}

// Inputs that are not what they seem get a message that says what they are; names are
// shown as a terminal cannot act on them.
TEST(CliRun, OddInputsAreNamedForWhatTheyAre) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("m.swf");
    const std::string fifo = scratch.File("pipe.jpg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string sunrise = kExamples + "/01-sunrise.jpg";
    struct Case {
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"-q", "-o", movie, sunrise, fifo},
         "",
         0,
         "reelwright-cli: warning: cannot read picture '" + fifo + "': Not a regular file\n"},
        {{"-q", "-o", movie, "-l", scratch.Path()},
         "",
         1,
         "reelwright-cli: cannot read list file '" + scratch.Path() + "': Is a directory\n"},
        {{"-q", "-o", movie, "-l", "-"},
         "/no/such/\x1b[2J\x9b"
         "31m\xc2\x9b\xc3\xa9.jpg\n",
         0,
         "reelwright-cli: warning: cannot read picture "
         "'/no/such/\\x1b[2J\\x9b31m\\xc2\\x9b\xc3\xa9.jpg': No such file or directory\n"},
        {{"-q", "-o", movie, "-l", "-"},
         sunrise + std::string("\0", 1) + "b.jpg\n",
         1,
         "reelwright-cli: cannot read list file '-': the line '" + sunrise +
             "\\x00b.jpg' holds a NUL byte; one path a line\n"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.err);
        const CliRun run = RunCli(test.arguments, test.input);
        EXPECT_EQ(run.status, test.status);
        EXPECT_EQ(run.err, test.err);
    }
}

// A truncated JPEG is shown as far as it was read (the rest grey), with a warning;
// --strict makes it an error.
TEST(CliRun, IncompletePictureWarnsAndStrictRefusesIt) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("m.swf");
    const std::string truncated =
        std::string(REELWRIGHT_SOURCE_DIR) + "/tests/data/jpeg/truncated.jpg";
    CliRun run = RunCli({"-q", "-o", movie, truncated});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "reelwright-cli: warning: picture '" + truncated +
                           "' is incomplete: Premature end of JPEG file; its frame shows what "
                           "could be read\n");
    EXPECT_EQ(FrameCount(movie), 1);

    std::filesystem::remove(movie);
    run = RunCli({"-q", "--strict", "-o", movie, truncated});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "reelwright-cli: error: picture '" + truncated +
                           "' is incomplete: Premature end of JPEG file\n"
                           "reelwright-cli: no movie written: '" +
                           truncated + "' is incomplete (--strict)\n");
    EXPECT_FALSE(std::filesystem::exists(movie));
}

TEST(CliRun, TooManyPicturesFailWithStatusOneBeforeAnythingIsWritten) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("m.swf");
    std::string list;
    for (int i = 0; i < 32767; ++i) {
        list += "p.jpg\n";
    }
    const CliRun run = RunCli({"-o", movie, "-l", "-"}, list);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "reelwright-cli: The movie \"" + movie +
                           "\" was not written: a movie holds at most 32766 pictures, the list "
                           "has 32767.\n");
    EXPECT_FALSE(std::filesystem::exists(movie));
}

TEST(CliRun, FrameCountsPastTheHeaderAreRefusedAndPastThePlayerWarnedAbout) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("m.swf");
    const std::string picture = kExamples + "/01-sunrise.jpg";
    // 2 pictures of 3300 s at 10 fps: 66000 frames.
    CliRun run = RunCli({"-q", "--seconds", "3300", "-o", movie, picture, picture});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "reelwright-cli: The movie \"" + movie +
                           "\" was not written: it would have 66000 frames and a movie holds at "
                           "most 65535.\n");
    EXPECT_FALSE(std::filesystem::exists(movie));
    // 2 pictures of 900.05 s: round(9000.5) = 9001 frames each.
    run = RunCli({"--seconds", "900.05", "--stop-at-end", "-o", movie, picture, picture});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "reelwright-cli: warning: The movie has 18002 frames: the classic Flash Player "
              "plays at most 16000.\n");
    EXPECT_EQ(run.out, "Wrote " + movie + ": 18002 frames of 280x210 at 10 fps\n");
    EXPECT_EQ(FrameCount(movie), 18002);
}

TEST(CliRun, UsageErrorsAreOneLineWithStatusTwo) {
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"a.jpg"}, std::vector<std::string>{"-o", "m.gif", "a.jpg"},
          std::vector<std::string>{"-o", "m.swf", "-s", "big", "a.jpg"},
          std::vector<std::string>{"-o", "m.swf", "-s", "1639x100", "a.jpg"},
          std::vector<std::string>{"-o", "m.swf", "--nope", "a.jpg"},
          std::vector<std::string>{"-o", "m.swf", "--fit", "fill", "a.jpg"},
          std::vector<std::string>{"-o", "m.swf", "--seconds", "1", "--crossfade", "2", "a.jpg"},
          std::vector<std::string>{"-o", "m.swf", "--seconds", "3s", "a.jpg"}}) {
        const CliRun run = RunCli(words);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("reelwright-cli: ", 0), 0u);
        EXPECT_FALSE(std::filesystem::exists("m.swf"));
    }
}

TEST(CliRun, UnwritableOutputFailsWithStatusOneAndNamesTheFile) {
    ScratchFolder scratch;
    const std::string movie = scratch.File("no-such-folder/m.swf");
    const CliRun run = RunCli({"-o", movie, kExamples + "/01-sunrise.jpg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(movie), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

// The summary says what the movie holds; a rate or frame that players refuse is
// written all the same, with a warning.
TEST(CliRun, RateOutsideTheMoviesByteIsStoredAsTheDialogStoresItWithAWarning) {
    struct Case {
        std::vector<std::string> settings;
        uint8_t stored;
        const char* warning;
        const char* summary;
    };
    const Case cases[] = {
        {{"-r", "300"},
         0x2C,
         "reelwright-cli: warning: frame rate 300 does not fit the movie's 0-255 field; it is "
         "stored as 44\n",
         "1 frame of 280x210 at 44 fps"},
        {{"-r", "255"}, 0xFF, "", "1 frame of 280x210 at 255 fps"},
        {{"-r", "0"},
         0x00,
         "reelwright-cli: warning: players will not show a movie with a frame rate of 0; it is "
         "written all the same\n",
         "1 frame of 280x210 at 0 fps"},
        {{"-r", "65536"},
         0x00,
         "reelwright-cli: warning: frame rate 65536 does not fit the movie's 0-255 field; it is "
         "stored as 0\n"
         "reelwright-cli: warning: players will not show a movie with a frame rate of 0; it is "
         "written all the same\n",
         "1 frame of 280x210 at 0 fps"},
        {{"-r", "-1"},
         0xFF,
         "reelwright-cli: warning: frame rate -1 does not fit the movie's 0-255 field; it is "
         "stored as 255\n",
         "1 frame of 280x210 at 255 fps"},
        {{"-s", "0x210", "-r", "10"},
         10,
         "reelwright-cli: warning: players will not show a movie with a frame of 0*210 pixels; "
         "it is written all the same\n",
         "1 frame of 0x210 at 10 fps"},
        {{"-s", "-50x-40", "-r", "256"},
         0,
         "reelwright-cli: warning: frame rate 256 does not fit the movie's 0-255 field; it is "
         "stored as 0\n"
         "reelwright-cli: warning: players will not show a movie with a frame of -50*-40 "
         "pixels and a frame rate of 0; it is written all the same\n",
         "1 frame of -50x-40 at 0 fps"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.summary);
        ScratchFolder scratch;
        const std::string movie = scratch.File("m.swf");
        std::vector<std::string> arguments = test.settings;
        arguments.insert(arguments.end(), {"-o", movie, kExamples + "/01-sunrise.jpg"});
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, test.warning);
        EXPECT_EQ(run.out, "Wrote " + movie + ": " + test.summary + "\n");
        const std::vector<uint8_t> bytes = ReadFileBytes(movie);
        ASSERT_GT(bytes.size(), 20u);
        const size_t rateAt = 8 + TestRectLength(bytes, 8);
        EXPECT_EQ(bytes[rateAt], 0x00);
        EXPECT_EQ(bytes[rateAt + 1], test.stored);
    }
}

TEST(CliRun, HelpAndVersion) {
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: reelwright-cli [options] -o MOVIE.swf PICTURE|FOLDER...\n", 0),
              0u);
    const CliRun version = RunCli({"-V"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "reelwright-cli 1.9\n");
}

TEST(CliRun, OpenAsksTheShellToOpenTheMovieOnlyAfterSuccess) {
    ScratchFolder scratch;
    FakePlatform platform;
    const std::string movie = scratch.File("m.swf");
    EXPECT_EQ(
        RunCli({"-q", "--open", "-o", movie, kExamples + "/01-sunrise.jpg"}, "", &platform).status,
        0);
    EXPECT_EQ(platform.launches, (std::vector<RecordedLaunch>{{"open", movie, 5}}));

    // Nothing could open it: the movie is there, a warning says so.
    platform.shellResult = 31;
    const CliRun unopened =
        RunCli({"-q", "--open", "-o", movie, kExamples + "/01-sunrise.jpg"}, "", &platform);
    EXPECT_EQ(unopened.status, 0);
    EXPECT_EQ(unopened.err, "reelwright-cli: warning: could not open '" + movie + "' (code 31)\n");

    platform.launches.clear();
    RunCli({"-q", "--open", "-o", scratch.File("none/m.swf"), kExamples + "/01-sunrise.jpg"}, "",
           &platform);
    EXPECT_TRUE(platform.launches.empty());
}

TEST(CliRun, OddPathsAndCrlfListsGiveTheRightFrames) {
    ScratchFolder scratch;
    const std::vector<std::pair<std::string, std::string>> pictures{
        {"with spaces.jpg", "/01-sunrise.jpg"},
        {"\xC3\xA9t\xC3\xA9 \xE2\x98\x80.png", "/02-blocks.png"},
        {"-dash.bmp", "/03-checker.bmp"}};
    std::string list;
    for (const auto& [name, source] : pictures) {
        Touch(scratch.File(name), kExamples + source);
        list += scratch.File(name) + "\r\n";
    }
    ASSERT_TRUE(WriteFileText(scratch.File("list.txt"), list));
    const std::string movie = scratch.File("odd.swf");
    const CliRun run =
        RunCli({"-q", "-o", movie, "-l", scratch.File("list.txt"), "--", "-dash.bmp"});
    // The last word names a file relative to the working folder, which is not the
    // scratch folder: it is unreadable and says so with its name as given.
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("cannot read picture '-dash.bmp'"), std::string::npos) << run.err;
    const SwfTestMovie parsed = ParseTestMovie(ReadFileBytes(movie));
    EXPECT_EQ(parsed.frameCount, 4);
    const auto bitmaps = parsed.TagsWithCode(kTestTagDefineBitsJpeg2);
    ASSERT_EQ(bitmaps.size(), 4u);
    EXPECT_NE(TestJpegData(*bitmaps[0]), TestJpegData(*bitmaps[1]));
    EXPECT_NE(TestJpegData(*bitmaps[1]), TestJpegData(*bitmaps[2]));
    EXPECT_EQ(TestJpegData(*bitmaps[3]), TestJpegData(*bitmaps[2]));
}

TEST(CliRun, AMovieHoldsExactly32766Pictures) {
    ScratchFolder scratch;
    // A 1 x 1 BMP: the build of 32766 frames costs seconds, not minutes.
    ASSERT_TRUE(WriteFileBytes(scratch.File("dot.bmp"), LittleEndianBytes()
                                                            .Text("BM")
                                                            .U32(58)
                                                            .U32(0)
                                                            .U32(54)
                                                            .U32(40)
                                                            .U32(1)
                                                            .U32(1)
                                                            .U16(1)
                                                            .U16(24)
                                                            .U32(0)
                                                            .U32(4)
                                                            .U32(2835)
                                                            .U32(2835)
                                                            .U32(0)
                                                            .U32(0)
                                                            .Bytes({0x10, 0x80, 0xF0, 0})
                                                            .Take()));
    std::string list;
    for (int i = 0; i < 32766; ++i) {
        list += scratch.File("dot.bmp") + "\n";
    }
    ASSERT_TRUE(WriteFileText(scratch.File("list.txt"), list));
    const std::string movie = scratch.File("full.swf");
    const CliRun full = RunCli({"-q", "-s", "1x1", "-o", movie, "-l", scratch.File("list.txt")});
    ASSERT_EQ(full.status, 0) << full.err;
    const SwfTestMovie parsed = ParseTestMovie(ReadFileBytes(movie));
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.frameCount, 32766);
    const auto bitmaps = parsed.TagsWithCode(kTestTagDefineBitsJpeg2);
    ASSERT_EQ(bitmaps.size(), 32766u);
    EXPECT_EQ(TestCharacterId(*bitmaps.back()), 65532);
    EXPECT_EQ(TestReadPlacement(*parsed.TagsWithCode(kTestTagPlaceObject2).back()).depth, 32766);
}

TEST(PictureInputs, FolderGivesItsOwnPicturesByNameAndListsReadLines) {
    ScratchFolder scratch;
    for (const char* name : {"b.JPG", "a.png", "c.jpeg", "d.gif", "e.jpg.txt"}) {
        Touch(scratch.File(name));
    }
    std::filesystem::create_directory(scratch.File("sub.jpg"));
    Touch(scratch.File("sub.jpg/inner.jpg"));
    std::istringstream standardInput("first.bmp\r\n\nsecond.tga\n");
    const PictureInputsResult result =
        CollectPictures({{false, scratch.Path()}, {true, "-"}, {false, "x.gif"}}, standardInput);
    EXPECT_EQ(result.error, "");
    const std::vector<std::string> expected{scratch.File("a.png"),  scratch.File("b.JPG"),
                                            scratch.File("c.jpeg"), "first.bmp",
                                            "second.tga",           "x.gif"};
    EXPECT_EQ(result.paths, expected);

    std::istringstream none;
    EXPECT_EQ(CollectPictures({{true, scratch.File("no-list.txt")}}, none)
                  .error.rfind("cannot read list file '" + scratch.File("no-list.txt") + "': ", 0),
              0u);
}

}  // namespace
