// The memory a build lets its pictures take: what one picture costs on its way to a
// frame, the budget its threads share, and pictures fitted on several threads within it.
#include "slideshow/frame_memory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "image/picture.h"
#include "slideshow/frame_fitting.h"
#include "slideshow/frame_pipeline.h"
#include "slideshow/memory_budget.h"

namespace {

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples";

TEST(FrameFittingBytes, TheLargestStepOfAPicturesWayCounts) {
    const BuildSettings standard = BuildSettings::From(MovieSettings{});
    struct Case {
        const char* what;
        DecodeCost cost;
        BuildSettings frame;
        uint64_t bytes;
    };
    const Case cases[] = {
        // Decoding: 8000 x 8000 x 3 bytes of picture beside as many of libjpeg's
        // coefficients (a progressive file at 4:2:0).
        {"progressive 8000 x 8000", {8000, 8000, 24, false, false, 192000000}, standard, 384000000},
        // Stretching: the picture and the 280 x 210 frame (840-byte rows).
        {"rgb 9400 x 9400", {9400, 9400, 24, false, false, 0}, standard, 265080000 + 176400},
        // Turning 24-bit: 1000 x 1000 indexes, the 24-bit picture and its alpha plane.
        {"palette 1000 x 1000",
         {1000, 1000, 8, false, false, 0},
         standard,
         1000000 + 3000000 + 1000000},
        // A grey picture stays 8-bit: itself and its 8-bit frame.
        {"grey 1000 x 1000", {1000, 1000, 8, false, true, 0}, standard, 1000000 + 280 * 210},
        // With alpha, the frame gets a plane too.
        {"rgba 1000 x 1000",
         {1000, 1000, 24, true, false, 0},
         standard,
         3000000 + 1000000 + 176400 + 58800},
        // A frame of no size: the picture itself is encoded, beside its JPEG.
        {"rgb 1000 x 1000, frame 0 x 210",
         {1000, 1000, 24, false, false, 0},
         BuildSettings::From(MovieSettings{0, 210, 10}),
         6000000},
        // Sizes no file can hold stop at the largest value instead of wrapping.
        {"absurd", {0xFFFFFFFF, 0xFFFFFFFF, 24, true, false, UINT64_MAX}, standard, UINT64_MAX},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_EQ(FrameFittingBytes(test.cost, test.frame), test.bytes);
    }
}

TEST(MemoryBudget, TakersWaitInTurnAndAStopEndsAWait) {
    MemoryBudget budget(100);
    EXPECT_FALSE(budget.Take(101, nullptr));  // more than there is at all
    ASSERT_TRUE(budget.Take(30, nullptr));

    // 80 does not fit beside 30, so it waits; 10 would, but came later: it is served
    // after 80, which the most ever taken when it is served shows.
    std::thread large([&] { EXPECT_TRUE(budget.Take(80, nullptr)); });
    while (budget.Waiting() < 1) {
        std::this_thread::yield();
    }
    uint64_t peakWhenSmallServed = 0;
    std::thread small([&] {
        EXPECT_TRUE(budget.Take(10, nullptr));
        peakWhenSmallServed = budget.PeakInUse();
    });
    while (budget.Waiting() < 2) {
        std::this_thread::yield();
    }
    budget.Give(30);
    large.join();
    small.join();
    EXPECT_EQ(peakWhenSmallServed, 90u);

    std::atomic<bool> stop{false};
    bool taken = true;
    std::thread stopped([&] { taken = budget.Take(20, &stop); });
    while (budget.Waiting() < 1) {
        std::this_thread::yield();
    }
    stop = true;
    stopped.join();
    EXPECT_FALSE(taken);
    budget.Give(90);
    EXPECT_TRUE(budget.Take(100, nullptr));
}

// A budget that holds one picture's way to a frame: four threads fit it in turn, and
// each frame is the one a lone fitting makes.
TEST(FrameMemoryShare, ThreadsSharingABudgetFitOnePictureAtATime) {
    const BuildSettings frame = BuildSettings::From(MovieSettings{});
    const std::string path = kExamples + "/02-blocks.png";  // 800 x 600, a 4-bit palette
    FitOptions alone;
    MemoryBudget measuring(kPictureMaxMemory);
    alone.budget = &measuring;
    const FittedFrame expected = FitPictureToFrame(path, frame, alone);
    ASSERT_EQ(expected.outcome, FrameOutcome::kPictureUsed) << expected.reason;
    // The 4-bit picture, its 24-bit form and that form's alpha plane.
    EXPECT_EQ(measuring.PeakInUse(), 240000u + 1440000u + 480000u);

    MemoryBudget budget(measuring.PeakInUse());
    FitOptions shared;
    shared.budget = &budget;
    FramePipeline pipeline(
        8, [&](size_t) { return FitPictureToFrame(path, frame, shared); }, 4);
    for (int i = 0; i < 8; ++i) {
        const std::optional<FittedFrame> fitted = pipeline.Next();
        ASSERT_TRUE(fitted.has_value());
        EXPECT_EQ(fitted->outcome, FrameOutcome::kPictureUsed) << fitted->reason;
        EXPECT_TRUE(fitted->jpeg == expected.jpeg);
    }
    EXPECT_EQ(budget.PeakInUse(), measuring.PeakInUse());
}

}  // namespace
