// The Qt window over a scripted platform, on the offscreen platform: captions fit,
// every button and menu item reaches its handler, Enter and Escape do nothing, Exit
// checks the fields, the arrow keys show pictures, and a build through the widgets
// runs on its thread and writes the same bytes as the command line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <sstream>

#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "cli/cli_run.h"
#include "image/drawing_surface.h"
#include "qt/main_window.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples";
const char* const kCaption = "Reelwright 1.9 by www.reelwright.example";

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    QPushButton* Button(int id) { return qobject_cast<QPushButton*>(window_.Control(id)); }
    QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(window_.Control(id)); }
    void Click(int id) {
        ASSERT_NE(Button(id), nullptr) << id;
        QTest::mouseClick(Button(id), Qt::LeftButton);
    }
    void AddPictures(const std::vector<std::string>& paths) {
        platform_.openAnswers.push_back(paths);
        Click(kIdAddImages);
    }
    // A click on the list's row as a user makes it (selects it, then reports it).
    void ClickRow(int row) {
        QTableView* list = window_.PictureList();
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void TypeInto(int id, const QString& text) {
        QLineEdit* edit = Edit(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // The clicked picture is read off the window's thread: its size arrives shortly.
    bool WaitForText(int id, const QString& text) {
        return QTest::qWaitFor([this, id, &text] { return Edit(id)->text() == text; }, 10000);
    }
    bool WaitForRunToEnd() {
        return QTest::qWaitFor([this] { return !window_.Dialog().IsRunning(); }, 20000);
    }

    FakePlatform platform_;
    MainWindow window_{platform_};
};

TEST_F(MainWindowTest, EveryCaptionFitsItsControlWhateverTheApplicationFont) {
    EXPECT_EQ(window_.CaptionsThatDoNotFit(), QStringList());
    EXPECT_EQ(window_.windowTitle().toStdString(), kCaption);
    EXPECT_FALSE(window_.windowIcon().isNull());
    const QFont original = QApplication::font();
    for (const char* family : {"DejaVu Sans", "DejaVu Serif"}) {
        for (qreal size : {8.0, 9.0, 10.0, 12.0}) {
            QFont font(family);
            font.setPointSizeF(size);
            QApplication::setFont(font);
            FakePlatform platform;
            MainWindow window(platform);
            EXPECT_EQ(window.CaptionsThatDoNotFit(), QStringList()) << family << " " << size;
        }
    }
    QApplication::setFont(original);
}

TEST_F(MainWindowTest, ButtonsAndContextMenuReachTheirHandlers) {
    Click(kIdSaveAsFlash);
    EXPECT_EQ(platform_.saveRequests.size(), 1u);
    Click(kIdAddFolder);
    EXPECT_EQ(platform_.folderTitles, std::vector<std::string>{"Open"});
    Click(kIdPreview);
    EXPECT_EQ(platform_.messages.size(), 1u);

    AddPictures({kExamples + "/01-sunrise.jpg", kExamples + "/02-blocks.png",
                 kExamples + "/03-checker.bmp"});
    EXPECT_EQ(window_.PictureList()->model()->rowCount(), 3);
    EXPECT_EQ(Edit(kIdPictureCount)->text(), "3");
    // The second row is selected in the view as in the dialog.
    EXPECT_TRUE(window_.PictureList()->selectionModel()->isRowSelected(1, {}));

    // A click on row 2 makes it the current row and takes its size; Move Up moves it.
    ClickRow(2);
    EXPECT_TRUE(WaitForText(kIdWidthField, "320"));
    EXPECT_EQ(Edit(kIdPictureSize)->text(), "320*240 pixels");
    Click(kIdMoveUp);
    EXPECT_EQ(window_.Dialog().GetRows()[1].number, "3");
    EXPECT_EQ(window_.PictureList()->model()->index(1, 0).data().toString(), "3");
    Click(kIdMoveDown);
    EXPECT_EQ(window_.Dialog().GetRows()[2].number, "3");

    // Right click on a row: menu 129 at the mouse; its choice is routed.
    QTableView* list = window_.PictureList();
    platform_.menuAnswers.push_back(kIdMenuRemove);
    const QPoint onRow = list->visualRect(list->model()->index(0, 1)).center();
    QContextMenuEvent onRowEvent(QContextMenuEvent::Mouse, onRow,
                                 list->viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(list->viewport(), &onRowEvent);
    ASSERT_EQ(platform_.menus.size(), 1u);
    EXPECT_EQ(platform_.menus[0].x, list->viewport()->mapToGlobal(onRow).x());
    EXPECT_EQ(window_.Dialog().GetRows().size(), 2u);  // the selected row went
    // Below the last row: no menu.
    const QPoint below(5, list->viewport()->height() - 3);
    QContextMenuEvent belowEvent(QContextMenuEvent::Mouse, below,
                                 list->viewport()->mapToGlobal(below));
    QApplication::sendEvent(list->viewport(), &belowEvent);
    EXPECT_EQ(platform_.menus.size(), 1u);

    Click(kIdRemoveAll);
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(Edit(kIdPictureCount)->text(), "0");
}

TEST_F(MainWindowTest, EnterAndEscapeDoNothingAndExitChecksTheFields) {
    for (QWidget* target :
         {static_cast<QWidget*>(&window_), static_cast<QWidget*>(Edit(kIdWidthField)),
          static_cast<QWidget*>(window_.PictureList())}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
        }
    }
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(window_.Dialog().GetEndResult(), 0);
    EXPECT_TRUE(platform_.messages.empty());

    TypeInto(kIdWidthField, "wide");
    Click(kIdExit);
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{
                  {"Please enter an integer.", MessageIcon::kExclamation, kCaption}}));
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(Edit(kIdWidthField)->selectedText(), "wide");

    // The close button ends the dialog whatever the fields hold.
    window_.close();
    EXPECT_FALSE(window_.isVisible());
    EXPECT_EQ(window_.Dialog().GetEndResult(), kDialogCancelled);
}

TEST_F(MainWindowTest, ArrowKeysShowTheRowBeforeAndAfterTheMove) {
    AddPictures({kExamples + "/01-sunrise.jpg", kExamples + "/03-checker.bmp"});
    ClickRow(0);
    EXPECT_TRUE(WaitForText(kIdPictureSize, "640*480 pixels"));
    QTableView* list = window_.PictureList();
    list->setFocus();
    QTest::keyPress(list, Qt::Key_Down);
    EXPECT_TRUE(WaitForText(kIdPictureSize, "640*480 pixels"));
    QTest::keyRelease(list, Qt::Key_Down);
    EXPECT_TRUE(WaitForText(kIdPictureSize, "320*240 pixels"));
    // Typing "(" into a field is no arrow key.
    TypeInto(kIdRateField, "(");
    EXPECT_EQ(Edit(kIdPictureSize)->text(), "320*240 pixels");
    EXPECT_EQ(Edit(kIdWidthField)->text(), "640");
}

TEST_F(MainWindowTest, BuildThroughTheWidgetsWritesTheCommandLinesBytes) {
    ScratchFolder scratch;
    const std::vector<std::string> pictures{
        kExamples + "/01-sunrise.jpg", kExamples + "/02-blocks.png", scratch.File("missing.bmp"),
        kExamples + "/04-ring.tga", kExamples + "/05-grey-triangle.jpg"};
    AddPictures(pictures);
    // Adding inserts each file at its number's index: read the list's own order.
    std::vector<std::string> order;
    for (const ImageListRow& row : window_.Dialog().GetRows()) {
        order.push_back(row.path);
    }
    TypeInto(kIdWidthField, "320");
    TypeInto(kIdHeightField, "240");
    TypeInto(kIdRateField, "12");
    platform_.saveAnswers.push_back(scratch.File("dialog.swf"));
    Click(kIdSaveAsFlash);
    ASSERT_TRUE(WaitForRunToEnd());
    QApplication::processEvents();

    EXPECT_TRUE(platform_.messages.empty());
    ASSERT_EQ(platform_.launches.size(), 1u);
    EXPECT_EQ(platform_.launches[0].target, scratch.File("DIALOG.SWF"));
    EXPECT_EQ(qobject_cast<QProgressBar*>(window_.Control(kIdProgress))->value(), 100);
    EXPECT_EQ(window_.PictureList()->selectionModel()->selectedRows().size(), 5);
    ASSERT_NE(window_.Dialog().GetPreviewSurface(), nullptr);

    std::vector<std::string> arguments{
        "-q", "-s", "320x240", "-r", "12", "-o", scratch.File("cli.swf")};
    arguments.insert(arguments.end(), order.begin(), order.end());
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    CliEnvironment environment{in, out, err, nullptr, nullptr};
    ASSERT_EQ(RunReelwrightCli(arguments, environment), 0) << err.str();
    const std::vector<uint8_t> fromDialog = ReadFileBytes(scratch.File("DIALOG.SWF"));
    ASSERT_FALSE(fromDialog.empty());
    EXPECT_TRUE(fromDialog == ReadFileBytes(scratch.File("cli.swf")));
}

TEST_F(MainWindowTest, ClosingDuringABuildStopsItAndLeavesNoMovie) {
    ScratchFolder scratch;
    ScratchFolder temporary;
    TemporaryFolderOverride tmpdir(temporary.Path());
    AddPictures(std::vector<std::string>(200, kExamples + "/05-grey-triangle.jpg"));
    platform_.saveAnswers.push_back(scratch.File("stopped.swf"));
    Click(kIdSaveAsFlash);
    ASSERT_TRUE(window_.Dialog().IsRunning());
    // Input is refused while the run goes on.
    Click(kIdRemoveAll);
    EXPECT_EQ(window_.Dialog().GetRows().size(), 200u);

    window_.close();
    EXPECT_FALSE(window_.Dialog().IsRunning() && window_.isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(std::filesystem::exists(scratch.File("STOPPED.SWF")));
    EXPECT_TRUE(std::filesystem::is_empty(temporary.Path()));
    EXPECT_TRUE(platform_.launches.empty());
    EXPECT_TRUE(platform_.messages.empty());
}

}  // namespace

int main(int argc, char** argv) {
    // Widgets without a display: the offscreen platform, unless one was chosen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
