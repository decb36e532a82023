// The About box: the order its links are bound in, the two routes that open it,
// links that start unvisited at every opening, the mail click, and how it ends.
#include "app/about_dialog.h"

#include <gtest/gtest.h>

#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "app/main_dialog.h"

namespace {

// Binds the links at their template position; returns the ids in binding order.
std::vector<int> Bind(AboutDialog& about) {
    std::vector<int> order;
    about.BindLabels(
        [&order](const ControlLayout& control) {
            order.push_back(control.id);
            return LabelRect{control.x, control.y, control.x + control.width,
                             control.y + control.height};
        },
        [](const std::string& text) {
            return TextSize{static_cast<int32_t>(text.size()), 8};
        });
    return order;
}

TEST(AboutDialog, LinksAreBoundInDeclarationOrderWithTheirPages) {
    FakePlatform platform;
    AboutDialog about(platform);
    EXPECT_EQ(Bind(about), (std::vector<int>{1030, 1029, 1028, 1027, 1016}));
    std::vector<std::string> urls;
    for (int id : {1016, 1027, 1028, 1029, 1030}) {
        urls.push_back(about.GetLabel(id)->GetUrl());
    }
    EXPECT_EQ(urls, (std::vector<std::string>{"http://www.reelwright.example/",
                                              "http://www.reelwright.example/gifwright/",
                                              "http://www.reelwright.example/bannerwright/",
                                              "http://www.reelwright.example/albumwright/",
                                              "http://www.reelwright.example/iconwright/"}));
    EXPECT_EQ(AboutDialog::Controls()[1].text, "Reelwright 1.9");
}

TEST(AboutDialog, ButtonAndWindowMenuOpenTheSameBoxWithUnvisitedLinks) {
    FakePlatform platform;
    MainDialog dialog(platform);
    std::vector<std::string> seen;
    platform.onAboutDialog = [&seen](AboutDialog& about) {
        Bind(about);
        HyperlinkLabel& home = *about.GetLabel(kIdAboutHomePage);
        seen.push_back(about.GetCaption() + (home.GetVisited() ? " visited" : " unvisited"));
        about.OnCommand(kIdAboutHomePage);
        EXPECT_TRUE(home.GetVisited());
        about.OnCommand(kIdAboutOk);
    };
    dialog.OnCommand(kIdAbout);
    dialog.OnCommand(kIdSystemMenuAbout);
    dialog.OnCommand(kIdAbout);
    EXPECT_EQ(seen,
              std::vector<std::string>(3, "Reelwright 1.9 by www.reelwright.example unvisited"));
    EXPECT_EQ(platform.launches,
              std::vector<RecordedLaunch>(3, {"open", "http://www.reelwright.example/", 5}));
}

TEST(AboutDialog, TheMailAddressOpensAMailAndAFailedOneSaysNothing) {
    for (int shellResult : {42, 31}) {
        FakePlatform platform;
        platform.shellResult = shellResult;
        AboutDialog about(platform);
        about.OnCommand(kIdAboutMail);
        EXPECT_EQ(platform.launches,
                  (std::vector<RecordedLaunch>{{"open", "mailto:support@reelwright.example", 1}}));
        EXPECT_EQ(platform.browserLookUps + platform.messages.size() + platform.beeps.size(), 0u);
        EXPECT_EQ(about.GetEnd(), AboutDialogEnd::kOpen);
    }
}

TEST(AboutDialog, OkAndEnterConfirmEscapeAndCloseCancelAndThenNothingActs) {
    FakePlatform platform;
    struct Case {
        std::function<void(AboutDialog&)> act;
        AboutDialogEnd end;
    };
    const Case cases[] = {
        {[](AboutDialog& box) { box.OnCommand(kIdAboutOk); }, AboutDialogEnd::kOk},
        {[](AboutDialog& box) { box.OnOk(); }, AboutDialogEnd::kOk},
        {[](AboutDialog& box) { box.OnCommand(kIdAboutCancel); }, AboutDialogEnd::kCancel},
        {[](AboutDialog& box) { box.OnCancel(); }, AboutDialogEnd::kCancel},
    };
    for (const Case& test : cases) {
        AboutDialog box(platform);
        test.act(box);
        box.OnCommand(kIdAboutMail);
        box.OnCancel();
        box.OnOk();
        EXPECT_EQ(box.GetEnd(), test.end);
    }
    EXPECT_TRUE(platform.launches.empty());
}

}  // namespace
