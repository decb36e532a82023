// The picture list through a scripted platform: adding files and folders with the
// 1000-file limit, numbering, removing, moving, the count field and the context menu.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "app/main_dialog.h"
#include "app/recording_listener.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

const char* const kCaption = "Reelwright 1.9 by www.reelwright.example";

class MainDialogListTest : public ::testing::Test {
  protected:
    void SetUp() override { dialog_.SetListener(&listener_); }

    // "No|FilePath" of every row, and a * after selected rows.
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (const ImageListRow& row : dialog_.GetRows()) {
            rows.push_back(row.number + "|" + row.path + (row.selected ? "*" : ""));
        }
        return rows;
    }
    void AddImages(std::vector<std::string> paths) {
        platform_.openAnswers.push_back(std::move(paths));
        dialog_.OnAddImages();
    }
    static std::vector<std::string> Names(const std::string& prefix, int count) {
        std::vector<std::string> names;
        for (int i = 1; i <= count; ++i) {
            names.push_back(prefix + std::to_string(i));
        }
        return names;
    }
    RecordedMessage Exclamation(const std::string& text) const {
        return {text, MessageIcon::kExclamation, kCaption};
    }

    FakePlatform platform_;
    RecordingListener listener_;
    MainDialog dialog_{platform_};
};

TEST_F(MainDialogListTest, AddedFilesAreNumberedPerUseInsertedByTheirNumberAndRowTwoSelected) {
    AddImages({"/p/a", "/p/b", "/p/c"});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1|/p/a", "2|/p/b*", "3|/p/c"}));
    EXPECT_TRUE(dialog_.GetRows()[1].focused);
    EXPECT_EQ(dialog_.GetPictureCountText(), "3");
    EXPECT_EQ(dialog_.GetPercentLabel(), "0%");
    EXPECT_EQ(dialog_.GetProgressPosition(), 0);

    ASSERT_EQ(platform_.openRequests.size(), 1u);
    EXPECT_EQ(platform_.openRequests[0].filter,
              "ALL(*.bmp;*.jpeg;*.jpg;*.tga;*.ico;*.png)|"
              "*.bmp;*.jpeg;*.jpg;*.tga;*.ico;*.png;*.webp;*.heic;*.heif;*.avif|"
              "JPG Files(*.jpg)|*.jpg|BMP Files(*.bmp)|*.bmp|ICO Files(*.ico)|*.ico|"
              "TGA Files(*.tga)|*.tga|PNG Files(*.png)|*.png|"
              "WebP Files(*.webp)|*.webp|HEIF Files(*.heic;*.heif)|*.heic;*.heif|"
              "AVIF Files(*.avif)|*.avif|");
    EXPECT_EQ(platform_.openRequests[0].nameBufferCapacity, 10000u);

    // Into X, Y: A and B go to indexes 1 and 2, numbered 1 and 2; A is selected too.
    dialog_.OnRemoveAll();
    AddImages({"/X", "/Y"});
    dialog_.SetRowSelected(1, false);
    AddImages({"/A", "/B"});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1|/X", "1|/A*", "2|/B", "2|/Y"}));
    EXPECT_EQ(listener_.rowChanges.back(), "insert 2-2");

    // Cancel adds nothing and runs no closing step.
    const int fieldChanges = listener_.fieldChanges;
    dialog_.OnAddImages();
    EXPECT_EQ(Rows().size(), 4u);
    EXPECT_EQ(listener_.fieldChanges, fieldChanges);
    EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(MainDialogListTest, OneUseAddsAtMostAThousandFilesAndSaysSoWithoutIcon) {
    const RecordedMessage limit{"selected files can't more than 1000!", MessageIcon::kNone,
                                kCaption};
    AddImages(Names("/many/", 1500));
    EXPECT_EQ(dialog_.GetRows().size(), 1000u);
    EXPECT_EQ(dialog_.GetRows().back().number, "1000");
    EXPECT_EQ(platform_.messages, std::vector<RecordedMessage>{limit});

    // The message comes after the 1000th file even when it was the last one.
    AddImages(Names("/exact/", 1000));
    EXPECT_EQ(platform_.messages.size(), 2u);
    EXPECT_EQ(dialog_.GetPictureCountText(), "2000");

    // Two uses of 700 each: no message.
    dialog_.OnRemoveAll();
    AddImages(Names("/a/", 700));
    AddImages(Names("/b/", 700));
    EXPECT_EQ(dialog_.GetRows().size(), 1400u);
    EXPECT_EQ(platform_.messages.size(), 2u);
}

TEST_F(MainDialogListTest, AddFolderReplacesTheListByItsPicturesInNameOrder) {
    ScratchFolder scratch;
    for (const char* name :
         {"a.JPG", "b.jpeg", "c.Png", "d.gif", "e.jpg.txt", "IMG_10.bmp", "IMG_9.bmp"}) {
        ASSERT_TRUE(WriteFileText(scratch.File(name), "x"));
    }
    std::filesystem::create_directory(scratch.File("sub"));
    ASSERT_TRUE(WriteFileText(scratch.File("sub/inner.jpg"), "x"));

    AddImages({"/old"});
    platform_.folderAnswers.push_back(scratch.Path());
    dialog_.OnAddFolder();
    EXPECT_EQ(platform_.folderTitles, std::vector<std::string>{"Open"});
    const std::string folder = scratch.Path() + "/";
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"1|" + folder + "a.JPG", "2|" + folder + "b.jpeg",
                                        "3|" + folder + "c.Png", "4|" + folder + "IMG_9.bmp",
                                        "5|" + folder + "IMG_10.bmp"}));
    EXPECT_EQ(dialog_.GetPictureCountText(), "5");

    // Cancelled: nothing changes. A folder without pictures empties the list.
    dialog_.OnAddFolder();
    EXPECT_EQ(Rows().size(), 5u);
    platform_.folderAnswers.push_back(scratch.File("sub/"));
    dialog_.OnAddFolder();
    EXPECT_EQ(Rows(), std::vector<std::string>{"1|" + scratch.File("sub/inner.jpg")});
    ScratchFolder empty;
    platform_.folderAnswers.push_back(empty.Path());
    dialog_.OnAddFolder();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(dialog_.GetPictureCountText(), "0");
    EXPECT_TRUE(platform_.messages.empty());

    // A folder that cannot be read says why, and the list stays cleared.
    AddImages({"/old"});
    platform_.folderAnswers.push_back("/nonexistent/folder");
    dialog_.OnAddFolder();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(
        platform_.messages,
        std::vector<RecordedMessage>{Exclamation(
            "The folder \"/nonexistent/folder/\" cannot be read: No such file or directory")});
}

TEST_F(MainDialogListTest, AddFolderStopsAtTheThousandthPicture) {
    ScratchFolder scratch;
    for (int i = 1; i <= 1003; ++i) {
        ASSERT_TRUE(WriteFileText(scratch.File(std::to_string(i) + ".png"), ""));
    }
    platform_.folderAnswers.push_back(scratch.Path());
    dialog_.OnAddFolder();
    ASSERT_EQ(dialog_.GetRows().size(), 1000u);
    EXPECT_EQ(dialog_.GetRows().back().path, scratch.File("1000.png"));
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{
                  {"selected files can't more than 1000!", MessageIcon::kNone, kCaption}}));
}

TEST_F(MainDialogListTest, RemoveTakesTheSelectedRowsAndRemoveAllEveryRow) {
    AddImages({"/1", "/2", "/3", "/4", "/5"});
    // Adding selected the second row; now the first and the last two.
    for (int i = 0; i < 5; ++i) {
        dialog_.SetRowSelected(i, i == 0 || i >= 3);
    }
    dialog_.OnRemove();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"2|/2", "3|/3"}));
    EXPECT_EQ(dialog_.GetPictureCountText(), "2");
    EXPECT_EQ(listener_.rowChanges.back(), "remove 0-0");

    dialog_.OnRemove();
    EXPECT_EQ(Rows().size(), 2u);
    dialog_.OnRemoveAll();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(dialog_.GetPictureCountText(), "0");
    EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(MainDialogListTest, MoveUpAndDownSwapTheCurrentRowKeepingItsNumber) {
    AddImages({"/a", "/b", "/c", "/d", "/e"});
    for (int i = 0; i < 5; ++i) {
        dialog_.SetRowSelected(i, i == 2);
    }
    dialog_.OnListClick(2);
    EXPECT_EQ(dialog_.GetCurrentRow(), 2);
    dialog_.OnMoveDown();
    dialog_.OnMoveDown();
    EXPECT_EQ(dialog_.GetCurrentRow(), 4);
    EXPECT_EQ(dialog_.GetRows()[4].number, "3");
    EXPECT_EQ(dialog_.GetRows()[4].path, "/c");
    EXPECT_TRUE(dialog_.GetRows()[4].selected);
    EXPECT_TRUE(dialog_.GetRows()[4].focused);
    EXPECT_EQ(dialog_.GetFocus(), DialogControl::kPictureList);
    EXPECT_EQ(listener_.rowChanges.back(), "move 3>4");

    dialog_.OnMoveDown();
    dialog_.OnMoveUp();
    EXPECT_EQ(dialog_.GetRows()[3].path, "/c");

    // The first row: a message; and the same for the last row.
    for (int i = 0; i < 5; ++i) {
        dialog_.SetRowSelected(i, i == 0);
    }
    dialog_.OnListClick(0);
    dialog_.OnMoveUp();
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{Exclamation("It's the last row!"),
                                            Exclamation("It's the first row!")}));

    // A current row beyond the last row, or none, does nothing.
    for (int i = 0; i < 5; ++i) {
        dialog_.SetRowSelected(i, i == 4);
    }
    dialog_.OnListClick(4);
    dialog_.OnRemoveAll();
    AddImages({"/only"});
    dialog_.OnMoveUp();
    dialog_.OnMoveDown();
    MainDialog fresh(platform_);
    fresh.OnMoveUp();
    EXPECT_EQ(platform_.messages.size(), 2u);
}

TEST_F(MainDialogListTest, ContextMenuOnARowRoutesItsChoiceAndEmptySpaceShowsNothing) {
    AddImages({"/a", "/b"});
    dialog_.OnListRightClick(-1, 10, 20);
    EXPECT_TRUE(platform_.menus.empty());

    platform_.menuAnswers.push_back(kIdMenuRemoveAll);
    dialog_.OnListRightClick(1, 300, 400);
    ASSERT_EQ(platform_.menus.size(), 1u);
    EXPECT_EQ(platform_.menus[0].x, 300);
    EXPECT_EQ(platform_.menus[0].y, 400);
    std::vector<std::string> items;
    for (const MenuItem& item : platform_.menus[0].items) {
        items.push_back(std::to_string(item.id) + " " + item.text);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"32771 Remove", "32772 Remove All", "32777 ",
                                               "32773 Add Files", "32774 Add Folder", "32779 ",
                                               "32775 Preview", "32776 Save As Flash"}));
    EXPECT_TRUE(platform_.menus[0].items[2].IsSeparator());
    EXPECT_TRUE(Rows().empty());

    // Nothing chosen: nothing happens.
    AddImages({"/a"});
    dialog_.OnListRightClick(0, 1, 1);
    EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(MainDialogListTest, MoveUpAfterTheCurrentLastRowWasRemovedDoesNothing) {
    AddImages({"/a", "/b", "/c"});
    for (int i = 0; i < 3; ++i) {
        dialog_.SetRowSelected(i, i == 2);
    }
    dialog_.OnListClick(2);
    dialog_.OnRemove();
    ASSERT_EQ(dialog_.GetCurrentRow(), 2);
    const std::vector<std::string> before = Rows();
    dialog_.OnMoveUp();
    dialog_.OnMoveDown();
    EXPECT_EQ(Rows(), before);
    EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(MainDialogListTest, DropsAddFilesLikeAddImagesAndAppendFoldersAndDialogsStartThere) {
    ScratchFolder scratch;
    const std::string shots = scratch.File("shots");
    std::filesystem::create_directories(shots + "/inner");
    for (const char* name : {"IMG_10.jpg", "IMG_2.png", "notes.txt", "inner/deep.jpg"}) {
        WriteFileText(shots + "/" + name, "not read here");
    }
    AddImages({"/p/x.jpg", "/p/y.jpg"});
    dialog_.OnDropPaths({"/q/a.jpg", "/q/readme.txt", shots, "/q/b.BMP"});
    // The drop counts its pictures from 1 as one adding command: a.jpg and b.BMP go
    // in at their numbers' places as chosen files do, the folder's pictures are
    // appended in name order; the text file is no picture.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1|/p/x.jpg", "1|/q/a.jpg*", "2|/p/y.jpg*",
                                                "2|" + shots + "/IMG_2.png", "4|/q/b.BMP",
                                                "3|" + shots + "/IMG_10.jpg"}));
    EXPECT_EQ(dialog_.GetPictureCountText(), "6");
    EXPECT_TRUE(platform_.messages.empty());

    // The dialogs open where the last pictures came from.
    AddImages({});
    dialog_.OnAddFolder();
    platform_.saveAnswers.push_back(std::nullopt);
    dialog_.OnSaveAsFlash();
    ASSERT_EQ(platform_.openRequests.size(), 2u);
    EXPECT_EQ(platform_.openRequests[0].initialFolder, "");
    EXPECT_EQ(platform_.openRequests[1].initialFolder, "/q");
    EXPECT_EQ(platform_.folderStarts, std::vector<std::string>{"/q"});
    EXPECT_EQ(platform_.saveRequests.at(0).initialFolder, "/q");

    // One drop adds at most 1000 pictures, and says so once.
    dialog_.OnRemoveAll();
    std::vector<std::string> many;
    for (const std::string& name : Names("/r/", 1001)) {
        many.push_back(name + ".jpg");
    }
    dialog_.OnDropPaths(many);
    EXPECT_EQ(dialog_.GetRows().size(), 1000u);
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{
                  {"selected files can't more than 1000!", MessageIcon::kNone, kCaption}}));
}

// A pipe, a device or a socket named like a picture is left out of chosen and dropped
// files, as "Add folder" leaves it out: a pipe would block the build that opened it.
// Nothing of it is opened here.
TEST_F(MainDialogListTest, PipesAndDevicesAreLeftOutOfAddedAndDroppedFiles) {
    ScratchFolder scratch;
    const std::string pipe = scratch.File("pipe.jpg");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string device = scratch.File("null.png");
    std::filesystem::create_symlink("/dev/null", device);
    AddImages({"/p/a.jpg", pipe, device, "/p/b.jpg"});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1|/p/a.jpg", "2|/p/b.jpg*"}));
    dialog_.OnDropPaths({pipe, "/q/c.jpg", device});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1|/p/a.jpg", "1|/q/c.jpg*", "2|/p/b.jpg*"}));
    EXPECT_TRUE(platform_.messages.empty());
}

}  // namespace
