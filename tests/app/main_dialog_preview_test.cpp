// Showing pictures: a click on a row (which takes the picture's size as the frame
// size), the arrow keys, and the timed preview with its waits and progress.
#include <gtest/gtest.h>

#include "app/deferred_run_host.h"
#include "app/fake_platform.h"
#include "app/main_dialog.h"
#include "app/recording_listener.h"
#include "image/drawing_surface.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"

namespace {

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples";
const std::string kSunrise = kExamples + "/01-sunrise.jpg";  // 640 x 480
const std::string kBlocks = kExamples + "/02-blocks.png";    // 800 x 600
const std::string kChecker = kExamples + "/03-checker.bmp";  // 320 x 240
const char* const kCaption = "Reelwright 1.9 by www.reelwright.example";

class MainDialogPreviewTest : public ::testing::Test {
  protected:
    void SetUp() override { dialog_.SetListener(&listener_); }

    void SelectOnly(int32_t row) {
        for (int32_t i = 0; i < static_cast<int32_t>(dialog_.GetRows().size()); ++i) {
            dialog_.SetRowSelected(i, i == row);
        }
    }
    std::string Fields() const {
        return dialog_.GetFieldText(DialogControl::kWidthField) + "x" +
               dialog_.GetFieldText(DialogControl::kHeightField) + "@" +
               dialog_.GetFieldText(DialogControl::kRateField);
    }
    SurfaceColor Centre() const {
        const DrawingSurface* surface = dialog_.GetPreviewSurface();
        return surface ? surface->GetPixel(surface->Width() / 2, surface->Height() / 2)
                       : SurfaceColor{};
    }

    FakePlatform platform_;
    RecordingListener listener_;
    // Holds a test's picture jobs until it runs them; it outlives the dialog.
    DeferredRunHost pictures_;
    MainDialog dialog_{platform_};
};

TEST_F(MainDialogPreviewTest, ClickShowsThePictureTakesItsSizeAndResetsTheProgress) {
    dialog_.AppendRow(kChecker);
    dialog_.AppendRow(kSunrise);
    dialog_.AppendRow("/nonexistent/picture.png");
    SelectOnly(1);
    dialog_.OnListClick(1);
    EXPECT_EQ(Fields(), "640x480@10");
    EXPECT_EQ(dialog_.GetSettings().width, 640);
    EXPECT_EQ(dialog_.GetPictureSizeText(), "640*480 pixels");
    EXPECT_EQ(dialog_.GetCurrentRow(), 1);
    EXPECT_EQ(dialog_.GetProgressPosition(), 0);
    EXPECT_EQ(dialog_.GetPercentLabel(), "0%");
    EXPECT_EQ(listener_.previewChanges, 1);
    const SurfaceColor sunrise = Centre();

    // Below the last row: the current row follows the selection, nothing else moves.
    dialog_.OnListClick(-1);
    EXPECT_EQ(dialog_.GetCurrentRow(), 1);
    EXPECT_EQ(Fields(), "640x480@10");
    EXPECT_EQ(listener_.previewChanges, 1);
    SelectOnly(-1);
    dialog_.OnListClick(-1);
    EXPECT_EQ(dialog_.GetCurrentRow(), -1);

    // An unreadable picture: 0*0 pixels, frame size 0 by 0, the preview untouched.
    SelectOnly(2);
    dialog_.OnListClick(2);
    EXPECT_EQ(dialog_.GetPictureSizeText(), "0*0 pixels");
    EXPECT_EQ(Fields(), "0x0@10");
    EXPECT_EQ(Centre(), sunrise);
    EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(MainDialogPreviewTest, ArrowKeysShowTheFirstSelectedRowWithoutTouchingTheFrameSize) {
    dialog_.AppendRow(kSunrise);
    dialog_.AppendRow(kChecker);
    dialog_.AppendRow(kBlocks);
    // Nothing selected: nothing shown.
    dialog_.ShowSelectedPicture();
    EXPECT_EQ(dialog_.GetPictureSizeText(), "");

    // Down from row 0: the key-down shows row 0, the list moves, the key-up row 1.
    SelectOnly(0);
    dialog_.ShowSelectedPicture();
    EXPECT_EQ(dialog_.GetPictureSizeText(), "640*480 pixels");
    SelectOnly(1);
    dialog_.ShowSelectedPicture();
    EXPECT_EQ(dialog_.GetPictureSizeText(), "320*240 pixels");
    EXPECT_EQ(Fields(), "280x210@10");
    EXPECT_EQ(dialog_.GetCurrentRow(), -1);
}

TEST_F(MainDialogPreviewTest, PictureCountFollowsTheList) {
    dialog_.AppendRow(kSunrise);
    dialog_.AppendRow(kSunrise);
    dialog_.AppendRow(kSunrise);
    dialog_.ShowPictureCount();
    EXPECT_EQ(dialog_.GetPictureCountText(), "3");
    dialog_.OnRemoveAll();
    EXPECT_EQ(dialog_.GetPictureCountText(), "0");
}

TEST_F(MainDialogPreviewTest, PreviewWaitsRateSecondsInAllAndShowsEachPictureAtItsOwnSize) {
    dialog_.AppendRow(kSunrise);
    dialog_.AppendRow("/nonexistent/second.png");
    dialog_.AppendRow(kBlocks);
    dialog_.AppendRow(kChecker);
    dialog_.SetFieldText(DialogControl::kRateField, "10");
    // What the labels read each time the picture size is written.
    std::vector<std::string> steps;
    struct Watcher : RecordingListener {
        MainDialog* dialog = nullptr;
        std::vector<std::string>* steps = nullptr;
        void OnLabelsChanged() override {
            steps->push_back(dialog->GetPercentLabel() + " " + dialog->GetPictureSizeText());
        }
    } watcher;
    watcher.dialog = &dialog_;
    watcher.steps = &steps;
    dialog_.SetListener(&watcher);
    dialog_.OnPreview();

    EXPECT_EQ(steps, (std::vector<std::string>{"25% 640*480 pixels", "50% 640*480 pixels",
                                               "75% 800*600 pixels", "100% 320*240 pixels"}));
    EXPECT_EQ(platform_.sleeps, (std::vector<int32_t>{2500, 2500, 2500, 2500}));
    EXPECT_EQ(dialog_.GetProgressPosition(), 100);
    for (const ImageListRow& row : dialog_.GetRows()) {
        EXPECT_TRUE(row.selected);
        EXPECT_FALSE(row.focused);
    }
    EXPECT_EQ(Fields(), "280x210@10");
    EXPECT_FALSE(dialog_.IsRunning());
    EXPECT_EQ(watcher.runningChanges, 2);

    // Rate 0 and a negative rate: no waits.
    for (const char* rate : {"0", "-3"}) {
        platform_.sleeps.clear();
        dialog_.SetFieldText(DialogControl::kRateField, rate);
        dialog_.OnPreview();
        EXPECT_TRUE(platform_.sleeps.empty()) << rate;
    }
}

TEST_F(MainDialogPreviewTest, PreviewOfAnEmptyListSaysSoAndABadFieldStillPlays) {
    dialog_.OnListClick(-1);
    const std::string label = dialog_.GetPercentLabel();
    dialog_.OnPreview();
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{{"Please select files.There are'n files in list",
                                             MessageIcon::kExclamation, kCaption}}));
    EXPECT_EQ(dialog_.GetProgressPosition(), 0);
    EXPECT_EQ(dialog_.GetPercentLabel(), label);

    // Letters in the rate field: the message, then the run with the rate held before.
    platform_.messages.clear();
    dialog_.AppendRow(kSunrise);
    dialog_.AppendRow(kSunrise);
    dialog_.SetFieldText(DialogControl::kRateField, "fast");
    dialog_.OnPreview();
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{
                  {"Please enter an integer.", MessageIcon::kExclamation, kCaption}}));
    EXPECT_EQ(platform_.sleeps, (std::vector<int32_t>{5000, 5000}));
    EXPECT_EQ(dialog_.GetFieldText(DialogControl::kRateField), "10");
}

TEST_F(MainDialogPreviewTest, OnlyTheLatestClickIsShownWhenClicksComeFasterThanPictures) {
    dialog_.SetPictureHost(&pictures_);
    dialog_.AppendRow(kSunrise);
    dialog_.AppendRow(kBlocks);
    SelectOnly(0);
    dialog_.OnListClick(0);
    // The click is answered at once; the picture and its size come from the host.
    EXPECT_EQ(dialog_.GetCurrentRow(), 0);
    EXPECT_EQ(dialog_.GetPictureSizeText(), "");
    SelectOnly(1);
    dialog_.OnListClick(1);
    pictures_.RunJobs();
    pictures_.RunPosted();
    EXPECT_EQ(dialog_.GetPictureSizeText(), "800*600 pixels");
    EXPECT_EQ(Fields(), "800x600@10");
    EXPECT_EQ(listener_.previewChanges, 1);
    EXPECT_EQ(dialog_.GetCurrentRow(), 1);

    // A run started before a picture arrives keeps the preview area for itself.
    SelectOnly(0);
    dialog_.OnListClick(0);
    dialog_.OnPreview();
    const int afterPreview = listener_.previewChanges;
    pictures_.RunJobs();
    pictures_.RunPosted();
    EXPECT_EQ(listener_.previewChanges, afterPreview);
    EXPECT_EQ(dialog_.GetPictureSizeText(), "800*600 pixels");
}

TEST_F(MainDialogPreviewTest, APictureWhoseHeaderReadsButWhoseDataDoesNotCountsAsUnreadable) {
    test_support::ScratchFolder scratch;
    // A JPEG frame header of 4000 x 3000 and nothing after it.
    const std::string cut = scratch.File("cut.jpg");
    test_support::WriteFileBytes(cut,
                                 {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x0B, 0xB8, 0x0F, 0xA0,
                                  0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01});
    dialog_.AppendRow(cut);
    SelectOnly(0);
    dialog_.SetPictureHost(&pictures_);
    dialog_.OnListClick(0);
    pictures_.RunJobs();
    ASSERT_EQ(pictures_.RunPosted(), 2);
    // The header's size came first; the failed decode then sets 0 by 0, as any
    // picture that does not load does.
    EXPECT_EQ(dialog_.GetPictureSizeText(), "0*0 pixels");
    EXPECT_EQ(Fields(), "0x0@10");
    EXPECT_EQ(listener_.previewChanges, 0);
}

}  // namespace
