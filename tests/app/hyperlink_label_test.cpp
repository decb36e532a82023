// HyperlinkLabel: its colour in each state, the mouse rules, what a click does, and
// how the window is fitted to its text.
#include "app/hyperlink_label.h"

#include <gtest/gtest.h>

#include "app/fake_platform.h"

namespace {

constexpr RgbColor kLink{0, 0, 238};
constexpr RgbColor kVisited{85, 26, 139};
constexpr RgbColor kHighlight{10, 20, 30};  // the fake's system highlight

// A label of 200 by 20 pixels at (10, 30); texts measure 6 by 13 pixels a character.
void AttachLabel(HyperlinkLabel& label, const std::string& text) {
    label.Attach(text, 0, {10, 30, 210, 50}, [](const std::string& measured) {
        return TextSize{static_cast<int32_t>(measured.size()) * 6, 13};
    });
}

TEST(HyperlinkLabel, ColourFollowsOverThenVisitedAndAFailedLaunchClearsVisited) {
    struct Case {
        std::vector<int> shellResults;  // one click each
        bool over;
        RgbColor colour;
        std::vector<unsigned> beeps;
    };
    const Case cases[] = {
        {{}, false, kLink, {}},           {{42}, false, kVisited, {}},
        {{42, 31}, false, kLink, {0x30}}, {{31, 42}, false, kVisited, {0x30}},
        {{}, true, kHighlight, {}},       {{42}, true, kHighlight, {}},
        {{33}, false, kVisited, {}},      {{42, 32}, false, kLink, {0x30}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::PrintToString(test.shellResults) + (test.over ? " over" : ""));
        FakePlatform platform;
        HyperlinkLabel label(platform);
        AttachLabel(label, "www.reelwright.example");
        for (int result : test.shellResults) {
            platform.shellResult = result;
            label.OnClick();
        }
        if (test.over) {
            label.OnMouseMove(3, 3);
        }
        EXPECT_EQ(label.GetTextColor(), test.colour);
        EXPECT_EQ(platform.beeps, test.beeps);
        // A label without a scheme opens its text unchanged, in its current size.
        EXPECT_EQ(platform.launches,
                  std::vector<RecordedLaunch>(test.shellResults.size(),
                                              {"open", "www.reelwright.example", 5}));
        EXPECT_EQ(platform.messages.size(), test.beeps.size());
    }
}

TEST(HyperlinkLabel, OverIsSetOnTheFirstMoveAndClearedOnTheFirstMoveOutside) {
    FakePlatform platform;
    HyperlinkLabel label(platform);
    AttachLabel(label, "www.reelwright.example");  // fitted to 132 by 13
    struct Step {
        int32_t x;
        int32_t y;
        bool over;
    };
    const Step steps[] = {
        {0, 0, true},     // first move: over, mouse captured
        {131, 12, true},  // still inside
        {132, 5, false},  // the right edge is outside: released
        {-1, 5, true},    // without capture only moves over the label arrive
        {5, 13, false},   // the bottom edge is outside
    };
    for (const Step& step : steps) {
        label.OnMouseMove(step.x, step.y);
        EXPECT_EQ(label.IsOverControl(), step.over) << step.x << "," << step.y;
        EXPECT_EQ(label.IsMouseCaptured(), step.over) << step.x << "," << step.y;
    }
}

TEST(HyperlinkLabel, AttachTakesUrlAndTextFromEachOther) {
    FakePlatform platform;
    HyperlinkLabel fromText(platform);
    AttachLabel(fromText, "http://a.example/");
    EXPECT_EQ(fromText.GetUrl(), "http://a.example/");
    EXPECT_EQ(fromText.GetTooltipText(), "http://a.example/");
    EXPECT_EQ(fromText.GetStyle(), 0x0100u);
    EXPECT_TRUE(fromText.OnSetCursor());

    HyperlinkLabel fromUrl(platform);
    fromUrl.SetUrl("http://b.example/");
    AttachLabel(fromUrl, "");
    EXPECT_EQ(fromUrl.GetWindowText(), "http://b.example/");
    EXPECT_EQ(fromUrl.GetWindowRect(), (LabelRect{10, 30, 112, 43}));
}

TEST(HyperlinkLabel, FittingKeepsTheAlignedEdgeAndCentresWithTruncation) {
    const LabelRect window{10, 30, 210, 50};  // 200 by 20
    struct Case {
        uint32_t style;
        TextSize text;
        LabelRect fitted;
    };
    const Case cases[] = {
        {0, {61, 13}, {10, 30, 71, 43}},         // left
        {0x0002, {61, 13}, {149, 30, 210, 43}},  // right
        {0x0001, {61, 13}, {79, 30, 141, 43}},   // centre: (200 - 61) / 2 = 69
        {0x0200, {61, 13}, {10, 33, 71, 47}},    // centre image: (20 - 13) / 2 = 3
        {0x0201, {61, 13}, {79, 33, 141, 47}},   // both
        {0x0001, {203, 13}, {9, 30, 211, 43}},   // wider text: -3 / 2 = -1
        {0x0200, {61, 25}, {10, 28, 71, 52}},    // taller text: -5 / 2 = -2
    };
    for (const Case& test : cases) {
        EXPECT_EQ(FitLabelToText(window, test.text, test.style), test.fitted) << test.style;
    }
}

}  // namespace
