// The build run: tags, ids and depths per entry, unreadable pictures, progress,
// the temporary file, and the refusals that leave nothing behind.
#include "slideshow/slideshow_build.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

namespace fs = std::filesystem;

// Records everything the build reports; can stop the build after some entries.
struct RecordingEvents : SlideshowEvents {
    std::vector<int32_t> percents;
    std::vector<int32_t> indexes;
    std::vector<std::string> sizeTexts;
    std::vector<int32_t> unreadable;
    std::vector<std::string> reasons;
    std::vector<bool> previews;
    int stopAfterEntries = -1;
    StopRequest stop;
    std::function<void(int32_t)> onEntry;

    void OnEntryStarted(const EntryStarted& event) override {
        percents.push_back(event.percent);
        if (onEntry) {
            onEntry(event.index);
        }
    }
    void OnFrameProduced(FrameProduced event) override {
        indexes.push_back(event.index);
        sizeTexts.push_back(event.sizeText);
        previews.push_back(event.preview != nullptr);
        if (event.outcome == FrameOutcome::kPictureUnreadable) {
            unreadable.push_back(event.index);
            reasons.push_back(event.reason);
        }
        if (static_cast<int>(indexes.size()) == stopAfterEntries) {
            stop.Request();
        }
    }
};

SlideshowBuildResult RunBuild(const std::vector<std::string>& paths, const MovieSettings& settings,
                              const std::string& movie, RecordingEvents* events,
                              bool keepPreview = false) {
    SlideshowBuildRequest request;
    request.picturePaths = paths;
    request.settings = settings;
    request.outputPath = movie;
    request.keepPreview = keepPreview;
    return RunSlideshowBuild(request, events, events != nullptr ? &events->stop : nullptr);
}

class SlideshowBuildTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.Path().empty());
        ASSERT_FALSE(tmp_.Path().empty());
        tmpdir_.emplace(tmp_.Path());
    }
    void TearDown() override { tmpdir_.reset(); }

    // `format` forces ImageMagick's writer (such as "BMP3:").
    std::string MakePicture(const std::string& name, const std::vector<std::string>& drawing,
                            const std::string& format = "") {
        std::vector<std::string> arguments{"convert"};
        arguments.insert(arguments.end(), drawing.begin(), drawing.end());
        arguments.push_back(format + scratch_.File(name));
        EXPECT_EQ(RunProgramToFile(arguments), 0) << "ImageMagick could not make " << name;
        return scratch_.File(name);
    }

    SwfTestMovie Build(const std::vector<std::string>& paths, MovieSettings settings,
                       RecordingEvents* events = nullptr, bool keepPreview = false) {
        result_ = RunBuild(paths, settings, Movie(), events, keepPreview);
        EXPECT_TRUE(result_.ok) << result_.error;
        SwfTestMovie movie = ParseTestMovie(ReadFileBytes(Movie()));
        EXPECT_EQ(movie.error, "");
        return movie;
    }

    std::string Movie() const { return scratch_.File("SHOW.SWF"); }
    bool TemporaryFolderIsEmpty() const { return fs::is_empty(tmp_.Path()); }

    ScratchFolder scratch_;
    ScratchFolder tmp_;
    std::optional<TemporaryFolderOverride> tmpdir_;
    SlideshowBuildResult result_;
};

TEST_F(SlideshowBuildTest, ThreeEntriesGetTheirIdsDepthsAndOneFrameEach) {
    const std::vector<std::string> paths{
        MakePicture("a.png", {"-size", "800x600", "gradient:red-blue"}),
        MakePicture("b.bmp", {"-size", "100x400", "gradient:yellow-green", "-type", "TrueColor"}),
        MakePicture("c.jpg", {"-size", "320x240", "radial-gradient:white-navy"})};
    const SwfTestMovie movie = Build(paths, MovieSettings{280, 210, 10});

    EXPECT_EQ(movie.signature, "FWS");
    EXPECT_EQ(movie.version, 3);
    EXPECT_EQ(movie.fileLength, fs::file_size(Movie()));
    EXPECT_EQ(movie.xMax, 5600);
    EXPECT_EQ(movie.yMax, 4200);
    EXPECT_EQ(movie.rateWhole, 10);
    EXPECT_EQ(movie.frameCount, 3);

    // Background, then per entry: bitmap, shape, placement, frame; then End.
    std::vector<uint16_t> codes;
    for (const SwfTestTag& tag : movie.tags) {
        codes.push_back(tag.code);
    }
    EXPECT_EQ(codes, (std::vector<uint16_t>{9, 21, 32, 26, 1, 21, 32, 26, 1, 21, 32, 26, 1, 0}));
    EXPECT_EQ(movie.tags[0].body, (std::vector<uint8_t>{0x00, 0x00, 0x00}));

    const auto bitmaps = movie.TagsWithCode(kTestTagDefineBitsJpeg2);
    const auto shapes = movie.TagsWithCode(kTestTagDefineShape3);
    const auto placements = movie.TagsWithCode(kTestTagPlaceObject2);
    ASSERT_EQ(bitmaps.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(TestCharacterId(*bitmaps[i]), 2 * i + 2);
        EXPECT_EQ(TestCharacterId(*shapes[i]), 2 * i + 1);
        EXPECT_EQ(TestShapeBitmapId(*shapes[i]), 2 * i + 2);
        EXPECT_EQ(TestShapeBounds(*shapes[i]), (std::vector<int32_t>{0, 5600, 0, 4200}));
        const TestPlacement placement = TestReadPlacement(*placements[i]);
        EXPECT_EQ(placement.flags, 0x06);
        EXPECT_EQ(placement.depth, i + 1);
        EXPECT_EQ(placement.characterId, 2 * i + 1);
        // The bitmap carries a whole JPEG: FF D9 FF D8, then the file FF D8 ... FF D9.
        const std::vector<uint8_t> data = TestJpegData(*bitmaps[i]);
        ASSERT_GT(data.size(), 8u);
        EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + 6),
                  (std::vector<uint8_t>{0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xD8}));
    }
    EXPECT_EQ(result_.framesWritten, 3);
    EXPECT_EQ(result_.unreadablePictures, 0);
}

TEST_F(SlideshowBuildTest, MissingSecondPictureRepeatsTheFirstInItsOwnFrame) {
    const std::vector<std::string> paths{
        MakePicture("a.png", {"-size", "64x48", "gradient:red-blue"}), scratch_.File("missing.png"),
        MakePicture("c.bmp", {"-size", "64x48", "gradient:white-black", "-type", "TrueColor"})};
    RecordingEvents observer;
    const SwfTestMovie movie = Build(paths, MovieSettings{280, 210, 10}, &observer, true);

    EXPECT_EQ(movie.frameCount, 3);
    const auto bitmaps = movie.TagsWithCode(kTestTagDefineBitsJpeg2);
    const auto shapes = movie.TagsWithCode(kTestTagDefineShape3);
    const auto placements = movie.TagsWithCode(kTestTagPlaceObject2);
    ASSERT_EQ(bitmaps.size(), 3u);
    EXPECT_EQ(TestCharacterId(*bitmaps[1]), 4);
    EXPECT_EQ(bitmaps[1]->body.size(), bitmaps[0]->body.size());
    EXPECT_EQ(TestJpegData(*bitmaps[1]), TestJpegData(*bitmaps[0]));
    EXPECT_NE(TestJpegData(*bitmaps[2]), TestJpegData(*bitmaps[0]));
    EXPECT_EQ(TestCharacterId(*shapes[1]), 3);
    EXPECT_EQ(TestShapeBitmapId(*shapes[1]), 4);
    EXPECT_EQ(TestReadPlacement(*placements[1]).depth, 2);

    EXPECT_EQ(observer.sizeTexts,
              (std::vector<std::string>{"280*210 pixels", "0*0 pixels", "280*210 pixels"}));
    // The preview area gets each fitted picture; the missing one leaves it alone.
    EXPECT_EQ(observer.previews, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(observer.unreadable, (std::vector<int32_t>{1}));
    EXPECT_EQ(observer.reasons.at(0), "No such file or directory");
    EXPECT_EQ(result_.unreadablePictures, 1);
}

TEST_F(SlideshowBuildTest, MissingFirstPictureLeavesBitmapTwoUndefined) {
    const std::vector<std::string> paths{
        scratch_.File("missing.bmp"),
        MakePicture("b.png", {"-size", "40x30", "gradient:red-blue"})};
    const SwfTestMovie movie = Build(paths, MovieSettings{280, 210, 10});

    const auto bitmaps = movie.TagsWithCode(kTestTagDefineBitsJpeg2);
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(TestCharacterId(*bitmaps[0]), 4);
    const auto shapes = movie.TagsWithCode(kTestTagDefineShape3);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(TestCharacterId(*shapes[0]), 1);
    EXPECT_EQ(TestShapeBitmapId(*shapes[0]), 2);
    const TestPlacement first = TestReadPlacement(*movie.TagsWithCode(kTestTagPlaceObject2)[0]);
    EXPECT_EQ(first.depth, 1);
    EXPECT_EQ(first.characterId, 1);
    EXPECT_EQ(movie.frameCount, 2);
}

TEST_F(SlideshowBuildTest, ProgressStandsAtItsShareBeforeEachEntry) {
    RecordingEvents three;
    Build({"/nonexistent/1", "/nonexistent/2", "/nonexistent/3"}, MovieSettings{}, &three);
    EXPECT_EQ(three.percents, (std::vector<int32_t>{33, 66, 100}));
    EXPECT_EQ(three.indexes, (std::vector<int32_t>{0, 1, 2}));

    RecordingEvents seven;
    Build(std::vector<std::string>(7, "/nonexistent/picture"), MovieSettings{}, &seven);
    EXPECT_EQ(seven.percents, (std::vector<int32_t>{14, 28, 42, 57, 71, 85, 100}));
}

TEST_F(SlideshowBuildTest, EmptyListWritesBackgroundOnly) {
    RecordingEvents observer;
    const SwfTestMovie movie = Build({}, MovieSettings{}, &observer);
    EXPECT_EQ(movie.frameCount, 0);
    ASSERT_EQ(movie.tags.size(), 2u);
    EXPECT_EQ(movie.tags[0].code, kTestTagSetBackgroundColor);
    EXPECT_TRUE(observer.percents.empty());
}

TEST_F(SlideshowBuildTest, MovieIsWrittenBesideItsTargetAndTakesTheNameWhenComplete) {
    const std::vector<std::string> paths{
        MakePicture("a.png", {"-size", "30x20", "gradient:red-blue"}),
        MakePicture("b.png", {"-size", "30x20", "gradient:blue-red"})};
    ASSERT_TRUE(WriteFileText(Movie(), "an earlier movie"));
    fs::permissions(Movie(),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Another user's movie, replaced by root, stays that user's (a user replacing
    // their own file keeps it trivially).
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(Movie().c_str(), 4242, 4343), 0);
    }
    RecordingEvents observer;
    std::vector<std::string> seen;
    observer.onEntry = [&](int32_t) {
        for (const auto& entry : fs::directory_iterator(scratch_.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(".SHOW.SWF.part-", 0) == 0) {
                seen.push_back(ReadFileText(Movie()));
            }
        }
    };
    Build(paths, MovieSettings{}, &observer);
    // While the build ran, the earlier movie was still there under its name.
    EXPECT_EQ(seen, (std::vector<std::string>{"an earlier movie", "an earlier movie"}));
    EXPECT_EQ(ParseTestMovie(ReadFileBytes(Movie())).frameCount, 2);
    EXPECT_EQ(fs::status(Movie()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    struct stat owned {};
    ASSERT_EQ(stat(Movie().c_str(), &owned), 0);
    EXPECT_EQ(owned.st_uid, root ? 4242u : geteuid());
    EXPECT_EQ(owned.st_gid, root ? 4343u : getegid());
    // Nothing else is left: no temporary file beside it, none in TMPDIR.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch_.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"SHOW.SWF", "a.png", "b.png"}));
    EXPECT_TRUE(TemporaryFolderIsEmpty());
}

TEST_F(SlideshowBuildTest, NewMovieGetsTheModeTheUmaskLeaves) {
    const std::vector<std::string> paths{MakePicture("a.png", {"-size", "30x20", "xc:red"})};
    struct Case {
        mode_t umask;
        fs::perms mode;
    };
    const fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
    const fs::perms read = fs::perms::group_read | fs::perms::others_read;
    for (const Case& test : {Case{022, rw | read}, Case{027, rw | fs::perms::group_read}}) {
        SCOPED_TRACE(test.umask);
        fs::remove(Movie());
        const mode_t before = umask(test.umask);
        Build(paths, MovieSettings{});
        umask(before);
        EXPECT_EQ(fs::status(Movie()).permissions() & fs::perms::all, test.mode);
    }
}

TEST_F(SlideshowBuildTest, FailedOrStoppedBuildLeavesAnEarlierMovieUntouched) {
    // Stopped after the first entry; and a target that is no regular file.
    ASSERT_TRUE(WriteFileText(Movie(), "an earlier movie"));
    RecordingEvents observer;
    observer.stopAfterEntries = 1;
    SlideshowBuildResult result = RunBuild({"/nonexistent/a", "/nonexistent/b", "/nonexistent/c"},
                                           MovieSettings{}, Movie(), &observer);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(ReadFileText(Movie()), "an earlier movie");

    fs::create_directory(scratch_.File("FOLDER.SWF"));
    result = RunBuild({"/nonexistent/a"}, MovieSettings{}, scratch_.File("FOLDER.SWF"), nullptr);
    EXPECT_EQ(result.error, "The movie \"" + scratch_.File("FOLDER.SWF") +
                                "\" was not written: it names no regular file.");
    EXPECT_TRUE(fs::is_directory(scratch_.File("FOLDER.SWF")));

    // A link to a movie: the link stays, the movie it names is replaced.
    fs::create_symlink(Movie(), scratch_.File("LINK.SWF"));
    result = RunBuild({}, MovieSettings{}, scratch_.File("LINK.SWF"), nullptr);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(fs::is_symlink(scratch_.File("LINK.SWF")));
    EXPECT_EQ(ParseTestMovie(ReadFileBytes(Movie())).frameCount, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch_.Path()), fs::directory_iterator{}), 3);
}

TEST_F(SlideshowBuildTest, GreyPicturesStayGreyAndColourPalettesBecomeColour) {
    const std::vector<std::string> paths{
        MakePicture("grey.jpg", {"-size", "64x48", "gradient:black-white", "-colorspace", "Gray"}),
        MakePicture("palette.bmp",
                    {"-size", "64x48", "gradient:red-blue", "-type", "Palette", "-colors", "16"},
                    "BMP3:")};
    RecordingEvents observer;
    const SwfTestMovie movie = Build(paths, MovieSettings{80, 60, 10}, &observer);
    EXPECT_EQ(observer.reasons, std::vector<std::string>{});
    const auto bitmaps = movie.TagsWithCode(kTestTagDefineBitsJpeg2);
    ASSERT_EQ(bitmaps.size(), 2u);
    // The component count of the frame header (SOF0 FF C0: length, precision, height,
    // width, components).
    auto components = [](const std::vector<uint8_t>& data) -> int {
        for (size_t i = 0; i + 9 < data.size(); ++i) {
            if (data[i] == 0xFF && data[i + 1] == 0xC0) {
                return data[i + 9];
            }
        }
        return -1;
    };
    EXPECT_EQ(components(TestJpegData(*bitmaps[0])), 1);
    EXPECT_EQ(components(TestJpegData(*bitmaps[1])), 3);
}

TEST_F(SlideshowBuildTest, ZeroAndNegativeSizesArePassedOn) {
    const std::vector<std::string> paths{
        MakePicture("a.png", {"-size", "30x20", "gradient:red-blue"})};
    RecordingEvents observer;
    SwfTestMovie movie = Build(paths, MovieSettings{0, 210, 0}, &observer);
    EXPECT_EQ(movie.xMax, 0);
    EXPECT_EQ(movie.yMax, 4200);
    EXPECT_EQ(movie.rateWhole, 0);
    EXPECT_EQ(movie.frameCount, 1);
    // The picture keeps its own size when it cannot be fitted.
    EXPECT_EQ(observer.sizeTexts, (std::vector<std::string>{"30*20 pixels"}));

    movie = Build(paths, MovieSettings{-50, -40, 300});
    EXPECT_EQ(movie.xMax, -1000);
    EXPECT_EQ(movie.yMax, -800);
    EXPECT_EQ(movie.rateWhole, 300 & 0xFF);
    EXPECT_EQ(movie.frameCount, 1);
}

TEST_F(SlideshowBuildTest, FrameTooLargeIsRefusedBeforeAnythingIsWritten) {
    RecordingEvents observer;
    const SlideshowBuildResult result =
        RunBuild({"/nonexistent/a"}, MovieSettings{1639, 210, 10}, Movie(), &observer);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error,
              "The frame size 1639*210 pixels is too large: a Flash movie frame can be at most "
              "1638*1638 pixels.");
    EXPECT_FALSE(fs::exists(Movie()));
    EXPECT_TRUE(observer.percents.empty());
    EXPECT_TRUE(TemporaryFolderIsEmpty());
    EXPECT_EQ(CheckFrameSize(MovieSettings{1638, 1638, 10}), "");
}

TEST_F(SlideshowBuildTest, UncreatableMovieFailsAtOnceNamingTheFile) {
    const std::string movie = scratch_.File("no-such-folder/SHOW.SWF");
    RecordingEvents observer;
    const SlideshowBuildResult result =
        RunBuild({"/nonexistent/a"}, MovieSettings{}, movie, &observer);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("\"" + movie + "\""), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("No such file or directory"), std::string::npos) << result.error;
    EXPECT_TRUE(observer.percents.empty());
    EXPECT_TRUE(TemporaryFolderIsEmpty());
}

TEST_F(SlideshowBuildTest, StoppedBuildLeavesNoMovie) {
    RecordingEvents observer;
    observer.stopAfterEntries = 1;
    const SlideshowBuildResult result =
        RunBuild({"/nonexistent/a", "/nonexistent/b", "/nonexistent/c"}, MovieSettings{}, Movie(),
                 &observer);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(observer.percents, (std::vector<int32_t>{33}));
    EXPECT_FALSE(fs::exists(Movie()));
    EXPECT_TRUE(TemporaryFolderIsEmpty());
}

// The entry being worked on when the stop comes is not reported: a picture the stop
// cut short is no unreadable picture, and nothing else of it is of use.
TEST_F(SlideshowBuildTest, EntryInProgressWhenTheStopComesIsNotReported) {
    const std::string picture = MakePicture("a.png", {"-size", "30x20", "gradient:red-blue"});
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        RecordingEvents observer;
        observer.onEntry = [&observer](int32_t index) {
            if (index == 1) {
                observer.stop.Request();
            }
        };
        SlideshowBuildRequest request;
        request.picturePaths = {picture, "/nonexistent/b", picture};
        request.outputPath = Movie();
        request.threads = threads;
        const SlideshowBuildResult result = RunSlideshowBuild(request, &observer, &observer.stop);
        EXPECT_TRUE(result.stopped);
        EXPECT_EQ(result.unreadablePictures, 0);
        EXPECT_EQ(observer.indexes, std::vector<int32_t>{0});
        EXPECT_EQ(observer.reasons, std::vector<std::string>{});
    }
}

}  // namespace
