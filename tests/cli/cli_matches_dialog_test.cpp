// reelwright-cli and the dialog's "Save as Flash" run the same build: for the same
// pictures and settings their movies are the same bytes.
#include <gtest/gtest.h>

#include <sstream>

#include "app/fake_platform.h"
#include "app/main_dialog.h"
#include "cli/cli_run.h"
#include "support/byte_builder.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples";

TEST(CliMatchesDialog, SameListAndSettingsGiveTheSameMovieBytes) {
    ScratchFolder scratch;
    const std::vector<std::string> pictures{
        kExamples + "/01-sunrise.jpg", kExamples + "/02-blocks.png",
        scratch.File("missing.bmp"),   kExamples + "/03-checker.bmp",
        kExamples + "/04-ring.tga",    kExamples + "/05-grey-triangle.jpg",
        kExamples + "/06-badge.ico"};

    FakePlatform platform;
    platform.saveAnswers.push_back(scratch.File("dialog.swf"));
    MainDialog dialog(platform);
    for (const std::string& path : pictures) {
        dialog.AppendRow(path);
    }
    dialog.SetFieldText(DialogControl::kWidthField, "320");
    dialog.SetFieldText(DialogControl::kHeightField, "240");
    dialog.SetFieldText(DialogControl::kRateField, "12");
    dialog.OnSaveAsFlash();
    ASSERT_TRUE(platform.messages.empty());
    const std::vector<uint8_t> fromDialog = ReadFileBytes(scratch.File("DIALOG.SWF"));

    std::vector<std::string> arguments{
        "-q", "-s", "320x240", "-r", "12", "-o", scratch.File("cli.swf")};
    arguments.insert(arguments.end(), pictures.begin(), pictures.end());
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    CliEnvironment environment{in, out, err, nullptr, nullptr};
    ASSERT_EQ(RunReelwrightCli(arguments, environment), 0) << err.str();
    const std::vector<uint8_t> fromCli = ReadFileBytes(scratch.File("cli.swf"));

    // Each front end passed the settings as typed: "FWS" 3, the file's length, the
    // 320 x 240 frame (6400 x 4800 twips), 12 frames a second, 7 frames.
    ASSERT_GT(fromDialog.size(), 1000u);
    EXPECT_EQ(ToHex({fromDialog.begin(), fromDialog.begin() + 4}), "46 57 53 03");
    EXPECT_EQ(ReadU32(fromDialog, 4), fromDialog.size());
    EXPECT_EQ(ToHex({fromDialog.begin() + 8, fromDialog.begin() + 20}),
              "70 00 0C 80 00 00 96 00 00 0C 07 00");
    EXPECT_TRUE(fromDialog == fromCli)
        << "dialog " << fromDialog.size() << " bytes, cli " << fromCli.size() << " bytes";
}

TEST(CliMatchesDialog, TheSameOptionsGiveTheSameMovieBytes) {
    ScratchFolder scratch;
    const std::vector<std::string> pictures{
        std::string(REELWRIGHT_TEST_DATA_DIR) + "/jpeg/orientation_6.jpg",
        kExamples + "/01-sunrise.jpg", kExamples + "/05-grey-triangle.jpg"};

    FakePlatform platform;
    platform.optionsFile = {{"upright", "true"},      {"fit", "contain"},
                            {"background", "336699"}, {"quality", "55"},
                            {"seconds", "0.3"},       {"crossfade", "0.2"},
                            {"stop-at-end", "true"},  {"smooth", "true"},
                            {"html", "true"},         {"ruffle", "ruffle/ruffle.js"}};
    platform.saveAnswers.push_back(scratch.File("dialog.swf"));
    MainDialog dialog(platform);
    for (const std::string& path : pictures) {
        dialog.AppendRow(path);
    }
    dialog.OnSaveAsFlash();
    ASSERT_TRUE(platform.messages.empty());

    std::vector<std::string> arguments{"-q",
                                       "--upright",
                                       "--fit",
                                       "contain",
                                       "--background",
                                       "336699",
                                       "--quality",
                                       "55",
                                       "--seconds",
                                       "0.3",
                                       "--crossfade",
                                       "0.2",
                                       "--stop-at-end",
                                       "--smooth",
                                       "--html",
                                       "--ruffle",
                                       "ruffle/ruffle.js",
                                       "-o",
                                       scratch.File("cli.swf")};
    arguments.insert(arguments.end(), pictures.begin(), pictures.end());
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    CliEnvironment environment{in, out, err, nullptr, nullptr};
    ASSERT_EQ(RunReelwrightCli(arguments, environment), 0) << err.str();
    EXPECT_TRUE(ReadFileBytes(scratch.File("DIALOG.SWF")) ==
                ReadFileBytes(scratch.File("cli.swf")));
    // Each page plays its own movie from the same Ruffle.
    for (const char* name : {"DIALOG", "cli"}) {
        const std::vector<uint8_t> page = ReadFileBytes(scratch.File(std::string(name) + ".html"));
        const std::string text(page.begin(), page.end());
        EXPECT_NE(text.find("data-movie=\"" + std::string(name) + "."), std::string::npos);
        EXPECT_NE(text.find("data-ruffle=\"ruffle/ruffle.js\""), std::string::npos);
    }
}

}  // namespace
