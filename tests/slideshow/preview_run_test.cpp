// The preview run: its waits, its events in list order, an unreadable entry showing
// the picture before it, and a stop between steps.
#include "slideshow/preview_run.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "image/picture.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples";

TEST(PreviewRun, WaitIsRateTimesAThousandOverTheCountAndNeverNegative) {
    struct Case {
        int32_t rate;
        int32_t count;
        int32_t wait;
    };
    const Case cases[] = {
        {10, 4, 2500},
        {10, 5, 2000},
        {10, 20, 500},
        {10, 3, 3333},
        {0, 4, 0},
        {-1, 4, 0},  // negative: no wait
        {2147483, 1, 2147483000},
        {2147484, 1, 0},  // the product leaves 32 bits: no wait
        {INT_MIN, 1, 0},
        {10, 0, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.rate) + " / " + std::to_string(test.count));
        EXPECT_EQ(PreviewWaitMilliseconds(test.rate, test.count), test.wait);
    }
}

struct Recorder : SlideshowEvents {
    std::vector<std::string> steps;
    std::vector<Picture*> shown;
    std::vector<std::shared_ptr<Picture>> kept;
    StopRequest* stopAtSecondFrame = nullptr;

    void OnEntryStarted(const EntryStarted& event) override {
        steps.push_back("entry " + std::to_string(event.index) + " " +
                        std::to_string(event.percent) + "%");
    }
    void OnFrameProduced(FrameProduced event) override {
        const bool unreadable = event.outcome == FrameOutcome::kPictureUnreadable;
        steps.push_back(
            "show " + event.sizeText +
            (unreadable ? " (" + event.path + " unreadable: " + event.reason + ")" : ""));
        shown.push_back(event.preview.get());
        kept.push_back(event.preview);
        if (stopAtSecondFrame != nullptr && shown.size() == 2) {
            stopAtSecondFrame->Request();
        }
    }
};

TEST(PreviewRun, UnreadableEntryShowsThePictureBeforeItAndTheWaitStillFollows) {
    Recorder recorder;
    std::vector<std::string> steps;
    test_support::ScratchFolder scratch;
    const std::string notAPicture = scratch.File("words.png");
    ASSERT_TRUE(test_support::WriteFileText(notAPicture, "no picture in here\n"));
    const PreviewRequest request{{"/nonexistent/first.png", kExamples + "/01-sunrise.jpg",
                                  notAPicture, kExamples + "/03-checker.bmp"},
                                 10};
    RunPreview(request, recorder, nullptr, [&](int32_t milliseconds) {
        recorder.steps.push_back("wait " + std::to_string(milliseconds));
        return true;
    });
    EXPECT_EQ(
        recorder.steps,
        (std::vector<std::string>{
            "entry 0 25%",
            "show 0*0 pixels (/nonexistent/first.png unreadable: No such file or directory)",
            "wait 2500", "entry 1 50%", "show 640*480 pixels", "wait 2500", "entry 2 75%",
            "show 640*480 pixels (" + notAPicture + " unreadable: Decode: Unknown or wrong format)",
            "wait 2500", "entry 3 100%", "show 320*240 pixels", "wait 2500"}));
    ASSERT_EQ(recorder.kept.size(), 4u);
    EXPECT_EQ(recorder.shown[0], nullptr);
    EXPECT_NE(recorder.shown[1], nullptr);
    EXPECT_EQ(recorder.shown[2], recorder.shown[1]);
    EXPECT_NE(recorder.shown[3], recorder.shown[1]);
}

TEST(PreviewRun, PhotosAreShownUprightAndFittedAsTheMovieShowsThem) {
    // A photo stored sideways (30 x 45, orientation 6) whose upright size is 45 x 30.
    const std::string photo = std::string(REELWRIGHT_TEST_DATA_DIR) + "/jpeg/orientation_6.jpg";
    struct Case {
        MovieOptions options;
        uint32_t shownWidth, shownHeight;
        const char* sizeText;
    };
    const Case cases[] = {
        {MovieOptions{}, 30, 45, "show 30*45 pixels"},  // as stored, at its own size
        {MovieOptions{true, PictureFit::kStretch, 0, 80}, 45, 30, "show 45*30 pixels"},
        // Contained in the 90 x 60 frame on white: 90 x 60 with the picture's own size.
        {MovieOptions{true, PictureFit::kContain, 0xFFFFFF, 80}, 90, 60, "show 45*30 pixels"},
        {MovieOptions{false, PictureFit::kCover, 0, 80}, 90, 60, "show 30*45 pixels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sizeText);
        Recorder recorder;
        PreviewRequest request{{photo}, 0};
        request.options = c.options;
        request.frameWidth = 90;
        request.frameHeight = 60;
        RunPreview(request, recorder, nullptr, [](int32_t) { return true; });
        ASSERT_EQ(recorder.shown.size(), 1u);
        ASSERT_NE(recorder.shown[0], nullptr);
        EXPECT_EQ(recorder.shown[0]->GetWidth(), c.shownWidth);
        EXPECT_EQ(recorder.shown[0]->GetHeight(), c.shownHeight);
        EXPECT_EQ(recorder.steps.back(), c.sizeText);
    }
}

TEST(PreviewRun, StopEndsTheRunBeforeItsNextStep) {
    StopRequest stop;
    Recorder recorder;
    recorder.stopAtSecondFrame = &stop;
    int waits = 0;
    RunPreview({std::vector<std::string>(4, kExamples + "/02-blocks.png"), 0}, recorder, &stop,
               [&](int32_t) { return ++waits > 0; });
    EXPECT_EQ(recorder.shown.size(), 2u);
    EXPECT_EQ(waits, 0);  // rate 0: no wait at all

    // A wait that reports the stop ends the run at once.
    StopRequest waitStop;
    Recorder waited;
    RunPreview({std::vector<std::string>(3, kExamples + "/02-blocks.png"), 5}, waited, &waitStop,
               [&](int32_t) {
                   waitStop.Request();
                   return false;
               });
    EXPECT_EQ(waited.shown.size(), 1u);
}

TEST(PreviewRun, SecondsPerPictureKeepTheMoviesFramesAndFadesAreDrawnBlended) {
    REQUIRE_PROGRAM("convert");
    test_support::ScratchFolder scratch;
    const std::string red = scratch.File("red.bmp");
    const std::string blue = scratch.File("blue.png");
    ASSERT_EQ(test_support::RunProgramToFile({"convert", "-size", "8x6", "xc:#FF0000", red}), 0);
    ASSERT_EQ(test_support::RunProgramToFile({"convert", "-size", "4x3", "xc:#0000FF", blue}), 0);
    // 0.4 s at 10 fps: 4 frames of 100 ms; the fade's 3 frames show alphas 85 and
    // 171 of 256, then blue whole for the picture's last 2 frames.
    PreviewRequest request{{red, blue}, 10};
    request.options.pictureMilliseconds = 400;
    request.options.crossfadeMilliseconds = 300;
    request.frameWidth = 2;
    request.frameHeight = 2;
    Recorder recorder;
    RunPreview(request, recorder, nullptr, [&](int32_t milliseconds) {
        recorder.steps.push_back("wait " + std::to_string(milliseconds));
        return true;
    });
    EXPECT_EQ(recorder.steps,
              (std::vector<std::string>{
                  "entry 0 50%", "show 8*6 pixels", "wait 400", "entry 1 100%", "show 4*3 pixels",
                  "wait 100", "show 4*3 pixels", "wait 100", "show 4*3 pixels", "wait 200"}));
    ASSERT_EQ(recorder.kept.size(), 4u);
    // (255 x 171 + 128) / 256 = 170 and (255 x 85 + 128) / 256 = 85, on the frame's
    // 2 x 2 pixels.
    const std::vector<RgbQuad> expected = {{85, 0, 170, 0}, {170, 0, 85, 0}};
    for (size_t k = 0; k < 2; ++k) {
        const Picture* blend = recorder.kept[1 + k].get();
        ASSERT_NE(blend, nullptr);
        ASSERT_EQ(blend->GetWidth(), 2u);
        ASSERT_EQ(blend->GetHeight(), 2u);
        EXPECT_EQ(blend->GetPixelColor(1, 1, false), expected[k]) << "fade frame " << k + 1;
    }
    EXPECT_EQ(recorder.kept[3]->GetWidth(), 4u) << "the picture itself ends the fade";
}

}  // namespace
