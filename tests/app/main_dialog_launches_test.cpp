// The main dialog's fixed launches (verb, target, show mode, silence on failure), the
// help's fall-back to its HTML pages, the mail link's buffer and the home-page label.
#include <gtest/gtest.h>

#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "app/fixed_launches.h"
#include "app/main_dialog.h"

namespace {

using Launches = std::vector<RecordedLaunch>;

TEST(MainDialogLaunches, EachButtonOpensItsPageMaximisedAndReportsNothing) {
    struct Case {
        int id;
        RecordedLaunch launch;
    };
    const Case cases[] = {
        {kIdBuyNow, {"", "http://www.reelwright.example/buy.html", 3}},
        {kIdBanner, {"open", "http://www.partner.example/go?tid=reelwright-19", 3}},
        {kIdPartnerLink, {"open", "http://downloads.partner.example", 3}},
    };
    for (const Case& test : cases) {
        for (int shellResult : {42, 31}) {
            FakePlatform platform;
            platform.shellResult = shellResult;
            MainDialog dialog(platform);
            dialog.OnCommand(test.id);
            EXPECT_EQ(platform.launches, Launches{test.launch}) << test.id;
            EXPECT_EQ(platform.browserLookUps + platform.messages.size() + platform.beeps.size(),
                      0u);
        }
    }
}

TEST(MainDialogLaunches, HelpOpensTheHelpFileOrElseItsPagesInTheBrowser) {
    struct Case {
        std::string executable;
        bool hasApplication;
        int shellResult;
        Launches launches;
    };
    const Case cases[] = {
        {"/opt/rw/reelwright", true, 42, {{"open", "/opt/rw/Moxwell_Reelwright.chm", 3}}},
        {"/opt/rw/reelwright", false, 42, {{"open", "/opt/rw/help/index.html", 3}}},
        {"/opt/rw/reelwright",
         true,
         2,
         {{"open", "/opt/rw/Moxwell_Reelwright.chm", 3}, {"open", "/opt/rw/help/index.html", 3}}},
        {"/reelwright", false, 42, {{"open", "/help/index.html", 3}}},
        {"", true, 42, {}},
    };
    for (const Case& test : cases) {
        FakePlatform platform;
        platform.executablePath = test.executable;
        platform.hasApplication = test.hasApplication;
        platform.shellResult = test.shellResult;
        MainDialog dialog(platform);
        dialog.OnCommand(kIdHelp);
        EXPECT_EQ(platform.launches, test.launches) << test.executable << test.hasApplication;
        EXPECT_TRUE(platform.messages.empty());
    }
}

TEST(MainDialogLaunches, TheMailLinkMustFitItsBufferWhole) {
    const std::string address72 = std::string(60, 'a') + "@example.com";
    EXPECT_EQ(MailLinkTarget(address72), "mailto:" + address72);  // 79 characters and the zero
    EXPECT_EQ(MailLinkTarget("b" + address72), std::nullopt);
}

TEST(MainDialogLaunches, TheHomePageLabelOpensTheMakersAddressAsItIs) {
    FakePlatform platform;
    MainDialog dialog(platform);
    dialog.GetHomePageLabel().Attach("www.reelwright.example", 0, {652, 445, 744, 458},
                                     [](const std::string&) {
                                         return TextSize{132, 13};
                                     });
    dialog.OnCommand(kIdHomePageLabel);
    EXPECT_EQ(platform.launches, (Launches{{"open", "www.reelwright.example", 5}}));
    EXPECT_TRUE(dialog.GetHomePageLabel().GetVisited());
}

}  // namespace
