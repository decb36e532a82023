// The window's links and launches through the real widgets, and the About box opened
// from its button and from the window's menu, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/about_dialog.h"
#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "qt/about_box.h"
#include "qt/hyperlink_label_widget.h"
#include "qt/main_window.h"

namespace {

// The fake desktop, except that the About box really opens; `whileOpen` looks at it
// and must end it.
class AboutOpeningPlatform final : public FakePlatform {
  public:
    std::function<void(AboutBox&)> whileOpen;
    void RunAboutDialog(AboutDialog& dialog) override {
        ++aboutDialogs;
        AboutBox box(dialog, QApplication::font(), nullptr);
        QTimer::singleShot(0, &box, [this, &box] { whileOpen(box); });
        box.exec();
    }
};

QColor TextColour(QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

void Click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(2, 2));
}

TEST(QtLinks, FixedLaunchesAndTheHomePageLabelGoThroughTheDesktop) {
    FakePlatform platform;
    platform.hasApplication = false;
    MainWindow window(platform);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    for (int id : {kIdBuyNow, kIdHelp, kIdBanner, kIdPartnerLink}) {
        Click(window.Control(id));
    }
    EXPECT_EQ(platform.launches, (std::vector<RecordedLaunch>{
                                     {"", "http://www.reelwright.example/buy.html", 3},
                                     {"open", "/opt/reelwright/help/index.html", 3},
                                     {"open", "http://www.partner.example/go?tid=reelwright-19", 3},
                                     {"open", "http://downloads.partner.example", 3}}));

    // The home-page label: the address as its text and tooltip, underlined, the link
    // colour; a successful click leaves it in the visited colour.
    QWidget* label = window.Control(kIdHomePageLabel);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(qobject_cast<QLabel*>(label)->text(), "www.reelwright.example");
    EXPECT_EQ(label->toolTip(), "www.reelwright.example");
    EXPECT_TRUE(label->font().underline());
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance("www.reelwright.example"));
    EXPECT_EQ(TextColour(label), QColor(0, 0, 238));
    platform.launches.clear();
    Click(label);
    EXPECT_EQ(platform.launches,
              (std::vector<RecordedLaunch>{{"open", "www.reelwright.example", 5}}));
    EXPECT_EQ(TextColour(label), QColor(85, 26, 139));

    // A failed launch beeps, says why, and takes the visited colour away.
    platform.shellResult = 31;
    Click(label);
    EXPECT_EQ(platform.beeps, std::vector<unsigned>{0x30});
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
              "filename extension.");
    EXPECT_EQ(TextColour(label), QColor(0, 0, 238));
}

TEST(QtLinks, AboutBoxOpensFromItsButtonAndFromTheWindowMenuItemUnvisitedEachTime) {
    AboutOpeningPlatform platform;
    MainWindow window(platform);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    std::vector<QColor> opened;
    std::vector<QColor> afterClick;
    platform.whileOpen = [&](AboutBox& box) {
        QWidget* home = box.Control(kIdAboutHomePage);
        opened.push_back(TextColour(home));
        Click(home);
        afterClick.push_back(TextColour(home));
        Click(box.Control(kIdAboutOk));
    };
    Click(window.Control(kIdAbout));
    EXPECT_EQ(platform.aboutDialogs, 1);

    // The window's own menu on its free area holds "&About Reelwright...".
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions()[0]->text(), "&About Reelwright...");
        menu->actions()[0]->trigger();
        menu->close();
    });
    const QPoint freeArea(window.width() - 5, window.height() - 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, freeArea, window.mapToGlobal(freeArea));
    QApplication::sendEvent(&window, &event);
    EXPECT_EQ(platform.aboutDialogs, 2);

    EXPECT_EQ(opened, (std::vector<QColor>{QColor(0, 0, 238), QColor(0, 0, 238)}));
    EXPECT_EQ(afterClick, (std::vector<QColor>{QColor(85, 26, 139), QColor(85, 26, 139)}));
    EXPECT_EQ(platform.launches.size(), 2u);
    EXPECT_EQ(platform.launches[0].target, "http://www.reelwright.example/");
}

}  // namespace
