// The "Movie options" dialog through its real widgets, and the options file through
// QSettings under a scratch $XDG_CONFIG_HOME: written and read back, and damaged,
// hostile or unreadable files giving the defaults (or losing only a bad value).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "qt/main_window.h"
#include "qt/movie_options_box.h"
#include "qt/options_file.h"
#include "slideshow/movie_option_fields.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

const char* const kCaption = "Reelwright 1.9 by www.reelwright.example";

// The fake desktop, except that the options dialog really opens; `whileOpen` acts in
// it and must end it.
class OptionsOpeningPlatform final : public FakePlatform {
  public:
    std::function<void(MovieOptionsBox&)> whileOpen;
    void RunMovieOptionsDialog(MovieOptionsDialog& dialog) override {
        ++optionsDialogs;
        MovieOptionsBox box(dialog, QApplication::font(), nullptr);
        QTimer::singleShot(0, &box, [this, &box] { whileOpen(box); });
        box.exec();
    }
};

TEST(QtMovieOptions, TheDialogsControlsShowAndSetTheOptions) {
    OptionsOpeningPlatform platform;
    platform.optionsFile = {{"quality", "64"}};
    MainWindow window(platform);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* button = qobject_cast<QPushButton*>(window.Control(kIdOptions));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Options...");

    bool looked = false;
    platform.whileOpen = [&](MovieOptionsBox& box) {
        EXPECT_EQ(box.windowTitle(), "Movie options");
        auto* upright = qobject_cast<QCheckBox*>(box.Control(MovieOptionsDialog::ControlId(0)));
        auto* fit = qobject_cast<QComboBox*>(box.Control(MovieOptionsDialog::ControlId(1)));
        auto* background = qobject_cast<QLineEdit*>(box.Control(MovieOptionsDialog::ControlId(2)));
        auto* quality = qobject_cast<QLineEdit*>(box.Control(MovieOptionsDialog::ControlId(3)));
        ASSERT_TRUE(upright && fit && background && quality);
        EXPECT_EQ(upright->text(), "Turn photos upright");
        EXPECT_FALSE(upright->isChecked());
        EXPECT_EQ(fit->count(), 3);
        EXPECT_EQ(fit->currentText(), "stretch");
        EXPECT_EQ(background->text(), "000000");
        EXPECT_EQ(quality->text(), "64");
        // Every caption fits its control in the dialog's font.
        for (const QLabel* label : box.findChildren<QLabel*>()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }

        QTest::mouseClick(upright, Qt::LeftButton, {}, QPoint(4, upright->height() / 2));
        fit->setCurrentIndex(2);
        quality->setFocus();
        quality->selectAll();
        QTest::keyClicks(quality, "high");
        // OK with a refused value: a message, and the field focused with its text
        // selected; the dialog stays.
        QTest::mouseClick(qobject_cast<QPushButton*>(box.Control(kIdOptionsOk)), Qt::LeftButton);
        EXPECT_TRUE(box.isVisible());
        EXPECT_EQ(platform.messages,
                  (std::vector<RecordedMessage>{
                      {"Invalid JPEG quality 'high': expected a whole number from 1 to 100.",
                       MessageIcon::kExclamation, kCaption}}));
        EXPECT_EQ(box.focusWidget(), quality);
        EXPECT_EQ(quality->selectedText(), "high");
        QTest::keyClicks(quality, "90");
        QTest::keyClick(quality, Qt::Key_Return);  // Enter is OK
        looked = true;
    };
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(looked);
    EXPECT_EQ(window.Dialog().GetMovieOptions(), (MovieOptions{true, PictureFit::kCover, 0, 90}));
    EXPECT_EQ(platform.optionsFile.at("fit"), "cover");

    // Escape leaves everything as it was.
    platform.whileOpen = [](MovieOptionsBox& box) {
        qobject_cast<QComboBox*>(box.Control(MovieOptionsDialog::ControlId(1)))->setCurrentIndex(0);
        QTest::keyClick(&box, Qt::Key_Escape);
    };
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(platform.optionsDialogs, 2);
    EXPECT_EQ(window.Dialog().GetMovieOptions().fit, PictureFit::kCover);
    EXPECT_EQ(platform.optionsFileWrites, 1);
}

// Points $XDG_CONFIG_HOME at a scratch folder for the test's length.
class OptionsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Valid());
        saved_ = qgetenv("XDG_CONFIG_HOME");
        hadValue_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", scratch_.Path().c_str());
    }
    void TearDown() override {
        if (hadValue_) {
            qputenv("XDG_CONFIG_HOME", saved_);
        } else {
            qunsetenv("XDG_CONFIG_HOME");
        }
    }
    std::string File() const { return scratch_.File("reelwright/reelwright.conf"); }

    ScratchFolder scratch_;
    QByteArray saved_;
    bool hadValue_ = false;
};

TEST_F(OptionsFileTest, OptionsGoToTheUsersConfigurationFolderAndComeBack) {
    EXPECT_EQ(OptionsFilePath().toStdString(), File());
    EXPECT_TRUE(ReadOptionsSettings().empty());  // no file yet: the defaults
    const MovieOptions chosen{true,     PictureFit::kCover,
                              0x102030, 35,
                              2500,     500,
                              true,     true,
                              true,     "https://example.org/r/ruffle.js?v=1;a=\"2\",3"};
    std::string error;
    ASSERT_TRUE(WriteOptionsSettings(MovieOptionTexts(chosen), error)) << error;
    EXPECT_EQ(ReadFileText(File()),
              "[movie]\nbackground=102030\ncrossfade=0.5\nfit=cover\nhtml=true\nquality=35\n"
              "ruffle=\"https://example.org/r/ruffle.js?v=1;a=\\\"2\\\",3\"\nseconds=2.5\n"
              "smooth=true\nstop-at-end=true\nupright=true\n");
    EXPECT_EQ(MovieOptionsFromTexts(ReadOptionsSettings()), chosen);
    // Written again over a damaged file, which is replaced whole.
    ASSERT_TRUE(WriteFileText(File(), "[movie\n\xff\xfe garbage = = =\n"));
    ASSERT_TRUE(WriteOptionsSettings(MovieOptionTexts(MovieOptions{}), error)) << error;
    EXPECT_EQ(
        ReadFileText(File()),
        "[movie]\nbackground=000000\ncrossfade=0\nfit=stretch\nhtml=false\nquality=80\n"
        "ruffle=https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js\nseconds=0\nsmooth=false\n"
        "stop-at-end=false\nupright=false\n");
}

TEST_F(OptionsFileTest, DamagedHostileOrUnreadableFilesGiveTheDefaultsOrLoseOnlyABadValue) {
    struct Case {
        const char* what;
        std::string contents;
        MovieOptions options;
    };
    const Case cases[] = {
        {"bytes of no text", std::string("\x00\x01\xff\xfe\x80[\n=\x00", 10), MovieOptions{}},
        {"another group", "[other]\nupright=true\n", MovieOptions{}},
        {"a list, a serialised variant and a byte array",
         "[movie]\nfit=contain, cover\nquality=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n"
         "background=@ByteArray(102030)\nupright=true\n",
         MovieOptions{true, PictureFit::kStretch, 0, 80}},
        {"values out of range", "[movie]\nquality=1000\nbackground=GGGGGG\nfit=contain\n",
         MovieOptions{false, PictureFit::kContain, 0, 80}},
        {"too large to be ours", "[movie]\nupright=true\n#" + std::string(70000, 'x') + "\n",
         MovieOptions{}},
    };
    std::filesystem::create_directories(scratch_.File("reelwright"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(
            WriteFileBytes(File(), std::vector<uint8_t>(c.contents.begin(), c.contents.end())));
        EXPECT_EQ(MovieOptionsFromTexts(ReadOptionsSettings()), c.options);
    }
    // A folder or a pipe where the file should be: nothing is read, nothing waits.
    std::filesystem::remove(File());
    std::filesystem::create_directory(File());
    EXPECT_TRUE(ReadOptionsSettings().empty());
    std::filesystem::remove(File());
    ASSERT_EQ(mkfifo(File().c_str(), 0600), 0);
    EXPECT_TRUE(ReadOptionsSettings().empty());
}

TEST_F(OptionsFileTest, AFileThatCannotBeWrittenSaysWhy) {
    // The configuration folder is a file: the options' folder cannot be made in it.
    qputenv("XDG_CONFIG_HOME", scratch_.File("plain-file").c_str());
    ASSERT_TRUE(WriteFileText(scratch_.File("plain-file"), "not a folder"));
    std::string error;
    EXPECT_FALSE(WriteOptionsSettings(MovieOptionTexts(MovieOptions{}), error));
    EXPECT_EQ(error, "cannot write " + scratch_.File("plain-file/reelwright/reelwright.conf") +
                         ": its folder cannot be made");
}

}  // namespace
