// The "Movie options" dialog and "Options..." through the fake platform: the template
// made from the option table, OK reading every control back (a refused value named
// in a message, its control focused), the options file read at start and written on
// OK, and the options reaching the build, the preview and a clicked picture.
#include <gtest/gtest.h>

#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "app/main_dialog.h"
#include "app/main_dialog_template.h"
#include "app/movie_options_dialog.h"
#include "image/drawing_surface.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

const char* const kCaption = "Reelwright 1.9 by www.reelwright.example";
const std::string kSidewaysPhoto =
    std::string(REELWRIGHT_TEST_DATA_DIR) + "/jpeg/orientation_6.jpg";  // 30 x 45, upright 45 x 30

// Control ids of the options, in the dialog's order.
const int kUpright = MovieOptionsDialog::ControlId(0);
const int kFit = MovieOptionsDialog::ControlId(1);
const int kBackground = MovieOptionsDialog::ControlId(2);
const int kQuality = MovieOptionsDialog::ControlId(3);
const int kSeconds = MovieOptionsDialog::ControlId(4);
const int kCrossfade = MovieOptionsDialog::ControlId(5);
const int kStopAtEnd = MovieOptionsDialog::ControlId(6);
const int kSmooth = MovieOptionsDialog::ControlId(7);
const int kWebPage = MovieOptionsDialog::ControlId(8);
const int kRuffle = MovieOptionsDialog::ControlId(9);

TEST(MovieOptionsDialog, TemplateHasAControlPerOptionThenOkAndCancel) {
    std::vector<std::string> controls;
    for (const ControlLayout& control : MovieOptionsDialog::Template().controls) {
        controls.push_back(std::to_string(control.id) + " " +
                           std::to_string(static_cast<int>(control.kind)) + " " + control.text);
    }
    const auto kind = [](ControlKind k) { return " " + std::to_string(static_cast<int>(k)) + " "; };
    EXPECT_EQ(controls, (std::vector<std::string>{
                            "1100" + kind(ControlKind::kCheckBox) + "Turn photos upright",
                            "-1" + kind(ControlKind::kText) + "Fit:",
                            "1101" + kind(ControlKind::kDropDownList) + "stretch|contain|cover",
                            "-1" + kind(ControlKind::kText) + "Background colour:",
                            "1102" + kind(ControlKind::kEdit),
                            "-1" + kind(ControlKind::kText) + "JPEG quality:",
                            "1103" + kind(ControlKind::kEdit),
                            "-1" + kind(ControlKind::kText) + "Seconds per picture:",
                            "1104" + kind(ControlKind::kEdit),
                            "-1" + kind(ControlKind::kText) + "Crossfade (seconds):",
                            "1105" + kind(ControlKind::kEdit),
                            "1106" + kind(ControlKind::kCheckBox) + "Stop at the last picture",
                            "1107" + kind(ControlKind::kCheckBox) + "Smooth pictures when scaled",
                            "1108" + kind(ControlKind::kCheckBox) + "Also write a web page",
                            "-1" + kind(ControlKind::kText) + "Ruffle address:",
                            "1109" + kind(ControlKind::kEdit),
                            "1" + kind(ControlKind::kDefaultButton) + "OK",
                            "2" + kind(ControlKind::kButton) + "Cancel",
                        }));
    // Every control lies inside the dialog, and none overlaps another.
    const DialogTemplate& dialog = MovieOptionsDialog::Template();
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const ControlLayout& a = dialog.controls[i];
        EXPECT_GE(a.x, 0);
        EXPECT_LE(a.x + a.width, dialog.width);
        EXPECT_LE(a.y + a.height, dialog.height);
        for (size_t j = i + 1; j < dialog.controls.size(); ++j) {
            const ControlLayout& b = dialog.controls[j];
            EXPECT_FALSE(a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
                         b.y < a.y + a.height)
                << a.text << " overlaps " << b.text;
        }
    }
}

TEST(MovieOptionsDialog, OkReadsEveryControlBackAndARefusedValueKeepsItOpen) {
    FakePlatform platform;
    MovieOptionsDialog dialog(platform, MovieOptions{}, kCaption);
    EXPECT_EQ(dialog.GetText(kUpright), "false");
    EXPECT_EQ(dialog.GetText(kFit), "stretch");
    EXPECT_EQ(dialog.GetText(kBackground), "000000");
    EXPECT_EQ(dialog.GetText(kQuality), "80");
    int focusMoves = 0;
    dialog.SetFocusListener([&] { ++focusMoves; });

    dialog.SetText(kUpright, "true");
    dialog.SetText(kFit, "cover");
    dialog.SetText(kBackground, "#a0b0c0");
    dialog.SetText(kQuality, "0");
    dialog.OnCommand(kIdOptionsOk);
    EXPECT_EQ(dialog.GetEnd(), MovieOptionsDialogEnd::kOpen);
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{
                  {"Invalid JPEG quality '0': expected a whole number from 1 to 100.",
                   MessageIcon::kExclamation, kCaption}}));
    EXPECT_EQ(dialog.GetFocus(), kQuality);
    EXPECT_EQ(focusMoves, 1);
    EXPECT_EQ(dialog.GetOptions(), MovieOptions{});

    dialog.SetText(kQuality, "95");
    EXPECT_EQ(dialog.GetText(kRuffle), "https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js");
    dialog.SetText(kSmooth, "true");
    dialog.SetText(kWebPage, "true");
    dialog.SetText(kRuffle, "/ruffle/ruffle.js");
    dialog.OnOk();
    EXPECT_EQ(dialog.GetEnd(), MovieOptionsDialogEnd::kOk);
    EXPECT_EQ(dialog.GetOptions(), (MovieOptions{true, PictureFit::kCover, 0xA0B0C0, 95, 0, 0,
                                                 false, true, true, "/ruffle/ruffle.js"}));
    // Once ended it takes nothing more.
    dialog.SetText(kQuality, "1");
    dialog.OnCancel();
    EXPECT_EQ(dialog.GetEnd(), MovieOptionsDialogEnd::kOk);
    EXPECT_EQ(dialog.GetText(kQuality), "95");
    EXPECT_EQ(dialog.GetText(9999), "");

    MovieOptionsDialog cancelled(platform, MovieOptions{true, PictureFit::kContain, 0xFF, 50},
                                 kCaption);
    cancelled.SetText(kFit, "stretch");
    cancelled.OnCommand(kIdOptionsCancel);
    EXPECT_EQ(cancelled.GetEnd(), MovieOptionsDialogEnd::kCancel);
    EXPECT_EQ(cancelled.GetOptions(), (MovieOptions{true, PictureFit::kContain, 0xFF, 50}));
}

TEST(MovieOptionsDialog, ACrossfadeLongerThanTheSecondsIsRefusedAtItsControl) {
    FakePlatform platform;
    MovieOptionsDialog dialog(platform, MovieOptions{}, kCaption);
    EXPECT_EQ(dialog.GetText(kSeconds), "0");
    EXPECT_EQ(dialog.GetText(kCrossfade), "0");
    EXPECT_EQ(dialog.GetText(kStopAtEnd), "false");
    dialog.SetText(kSeconds, "2");
    dialog.SetText(kCrossfade, "2.5");
    dialog.SetText(kStopAtEnd, "true");
    dialog.OnOk();
    EXPECT_EQ(dialog.GetEnd(), MovieOptionsDialogEnd::kOpen);
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{
                  {"The crossfade (2.5 s) is longer than the seconds per picture (2 s).",
                   MessageIcon::kExclamation, kCaption}}));
    EXPECT_EQ(dialog.GetFocus(), kCrossfade);

    dialog.SetText(kCrossfade, "0.5");
    dialog.OnOk();
    EXPECT_EQ(dialog.GetEnd(), MovieOptionsDialogEnd::kOk);
    EXPECT_EQ(dialog.GetOptions(),
              (MovieOptions{false, PictureFit::kStretch, 0, 80, 2000, 500, true}));
}

TEST(MovieOptions, SaveRefusesAMoviePastTheFrameCountAndWarnsPastThePlayersLimit) {
    ScratchFolder scratch;
    FakePlatform platform;
    // 3 pictures of 3000 s at 10 fps: 90000 frames, refused before the file dialog.
    platform.optionsFile = {{"seconds", "3000"}};
    MainDialog dialog(platform);
    for (int i = 0; i < 3; ++i) {
        dialog.AppendRow(kSidewaysPhoto);
    }
    dialog.OnSaveAsFlash();
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{{"The movie cannot be made: it would have 90000 "
                                             "frames and a movie holds at most 65535.",
                                             MessageIcon::kExclamation, kCaption}}));
    EXPECT_TRUE(platform.saveRequests.empty());

    // At 2 frames per second, 18000 frames: said, and built.
    platform.messages.clear();
    dialog.SetFieldText(DialogControl::kRateField, "2");
    platform.saveAnswers.push_back(scratch.File("long.swf"));
    dialog.OnSaveAsFlash();
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{{"The movie has 18000 frames: the classic Flash "
                                             "Player plays at most 16000.",
                                             MessageIcon::kExclamation, kCaption}}));
    EXPECT_EQ(ParseTestMovie(ReadFileBytes(scratch.File("LONG.SWF"))).frameCount, 18000);
}

TEST(MovieOptions, TheOptionsFileIsReadAtStartAndWrittenOnOkOnly) {
    FakePlatform platform;
    // A damaged file: each value stands or falls alone.
    platform.optionsFile = {{"upright", "true"}, {"fit", "sideways"}, {"quality", "64"}};
    MainDialog dialog(platform);
    EXPECT_EQ(dialog.GetMovieOptions(), (MovieOptions{true, PictureFit::kStretch, 0, 64}));

    // Cancel: nothing changes, nothing is written.
    dialog.OnCommand(kIdOptions);
    EXPECT_EQ(platform.optionsDialogs, 1);
    EXPECT_EQ(platform.optionsFileWrites, 0);

    // OK: the dialog showed what the dialog held; what it read is held and written.
    platform.onOptionsDialog = [](MovieOptionsDialog& options) {
        EXPECT_EQ(options.GetText(kUpright), "true");
        EXPECT_EQ(options.GetText(kQuality), "64");
        options.SetText(kFit, "contain");
        options.SetText(kBackground, "102030");
        options.OnOk();
    };
    dialog.OnCommand(kIdOptions);
    const MovieOptions chosen{true, PictureFit::kContain, 0x102030, 64};
    EXPECT_EQ(dialog.GetMovieOptions(), chosen);
    EXPECT_EQ(platform.optionsFile,
              (std::map<std::string, std::string>{
                  {"background", "102030"},
                  {"crossfade", "0"},
                  {"fit", "contain"},
                  {"html", "false"},
                  {"quality", "64"},
                  {"ruffle", "https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js"},
                  {"seconds", "0"},
                  {"smooth", "false"},
                  {"stop-at-end", "false"},
                  {"upright", "true"}}));
    // The next start finds them.
    MainDialog restarted(platform);
    EXPECT_EQ(restarted.GetMovieOptions(), chosen);

    // A file that cannot be written: the options hold for this run, and the user is told.
    platform.optionsWriteError = "Permission denied";
    platform.onOptionsDialog = [](MovieOptionsDialog& options) {
        options.SetText(kQuality, "20");
        options.OnOk();
    };
    dialog.OnCommand(kIdOptions);
    EXPECT_EQ(dialog.GetMovieOptions().jpegQuality, 20);
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{
                  {"The options hold until Reelwright ends, but they could not be saved for its "
                   "next start: Permission denied",
                   MessageIcon::kExclamation, kCaption}}));
}

TEST(MovieOptions, TheButtonStandsInTheTemplatesFreeSpaceLeftOfExit) {
    const DialogTemplate& layout = MainDialogTemplate();
    const auto find = [&layout](int id) {
        for (const ControlLayout& control : layout.controls) {
            if (control.id == id) {
                return control;
            }
        }
        return ControlLayout{};
    };
    const ControlLayout options = find(kIdOptions);
    EXPECT_EQ(options.text, "Options...");
    EXPECT_EQ((std::vector<int>{options.x, options.y, options.width, options.height}),
              (std::vector<int>{289, 290, 50, 14}));
    for (const ControlLayout& other : layout.controls) {
        if (other.id == kIdOptions || other.kind == ControlKind::kGroupBox) {
            continue;
        }
        EXPECT_FALSE(options.x < other.x + other.width && other.x < options.x + options.width &&
                     options.y < other.y + other.height && other.y < options.y + options.height)
            << "overlaps " << other.id << " " << other.text;
    }
}

TEST(MovieOptions, BuildPreviewAndClickUseTheOptions) {
    ScratchFolder scratch;
    FakePlatform platform;
    platform.optionsFile = {{"upright", "true"}, {"fit", "contain"}, {"background", "FF0000"}};
    MainDialog dialog(platform);
    dialog.AppendRow(kSidewaysPhoto);

    // A click shows the photo's upright size and takes it as the frame size.
    dialog.SetRowSelected(0, true);
    dialog.OnListClick(0);
    EXPECT_EQ(dialog.GetPictureSizeText(), "45*30 pixels");
    EXPECT_EQ(dialog.GetSettings().width, 45);
    EXPECT_EQ(dialog.GetSettings().height, 30);

    // The preview shows it contained in the frame typed: 45 x 30 in 45 x 90 leaves red
    // borders above and below, drawn over the whole preview area.
    dialog.SetFieldText(DialogControl::kHeightField, "90");
    dialog.OnPreview();
    const DrawingSurface* surface = dialog.GetPreviewSurface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->GetPixel(surface->Width() / 2, 2), (SurfaceColor{255, 0, 0}));
    EXPECT_NE(surface->GetPixel(surface->Width() / 2, surface->Height() / 2),
              (SurfaceColor{255, 0, 0}));
    EXPECT_EQ(dialog.GetPictureSizeText(), "45*30 pixels");

    // The build writes the red background into the movie.
    platform.saveAnswers.push_back(scratch.File("photo.swf"));
    dialog.OnSaveAsFlash();
    ASSERT_TRUE(platform.messages.empty()) << platform.messages[0].text;
    const SwfTestMovie movie = ParseTestMovie(ReadFileBytes(scratch.File("PHOTO.SWF")));
    ASSERT_EQ(movie.error, "");
    EXPECT_EQ(ToHex(movie.TagsWithCode(kTestTagSetBackgroundColor)[0]->body), "FF 00 00");
    EXPECT_EQ(dialog.GetPictureSizeText(), "45*90 pixels");
}

}  // namespace
