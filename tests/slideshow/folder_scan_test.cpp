// The folder scan shared by "Add folder" and the command line: which entries count as
// pictures, and the name order numbered photos need.
#include "slideshow/folder_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "support/file_bytes.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

TEST(FolderScan, NameOrderComparesLettersWithoutCaseAndDigitRunsByValue) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"IMG_2.jpg", "IMG_10.jpg"},    // digit runs by value
        {"img_9.jpg", "IMG_10.JPG"},    // case does not count
        {"a.png", "B.png"},             //
        {"photo1.jpg", "photo1a.jpg"},  // a shorter name that is a prefix first
        {"x007.jpg", "x8.jpg"},         // leading zeros do not count
        {"x008.jpg", "x8.jpg"},         // equal by value: byte order decides
        {"A.jpg", "a.jpg"},             // equal without case: byte order decides
        {"99999999999999999999.jpg", "100000000000000000000.jpg"},  // no overflow
        {"2024-01-05 9.jpg", "2024-01-05 10.jpg"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.before) + " < " + test.after);
        EXPECT_TRUE(NameOrderLess(test.before, test.after));
        EXPECT_FALSE(NameOrderLess(test.after, test.before));
    }
    EXPECT_FALSE(NameOrderLess("same.jpg", "same.jpg"));
}

TEST(FolderScan, TakesPictureFilesOnlyDirectlyInsideInNameOrder) {
    ScratchFolder scratch;
    for (const char* name :
         {"IMG_10.jpg", "IMG_2.JPG", "b.jpeg", "c.Png", "d.gif", "e.jpg.txt", "f.TGA", "g.ico",
          "h.bmp", "i.webp", "j.HEIC", "k.heif", "l.Avif", "m.webp.part", "n.heics"}) {
        ASSERT_TRUE(WriteFileText(scratch.File(name), "x"));
    }
    // A subfolder named like a picture, with a picture inside, and a named pipe.
    std::filesystem::create_directory(scratch.File("folder.jpg"));
    ASSERT_TRUE(WriteFileText(scratch.File("folder.jpg/inner.jpg"), "x"));
    ASSERT_EQ(mkfifo(scratch.File("pipe.png").c_str(), 0600), 0);

    const FolderScan scan = ScanFolderForPictures(scratch.Path());
    EXPECT_EQ(scan.error, "");
    std::vector<std::string> expected;
    for (const char* name : {"b.jpeg", "c.Png", "f.TGA", "g.ico", "h.bmp", "i.webp", "IMG_2.JPG",
                             "IMG_10.jpg", "j.HEIC", "k.heif", "l.Avif"}) {
        expected.push_back(scratch.Path() + "/" + name);
    }
    EXPECT_EQ(scan.paths, expected);
    // A folder given with its separator gets no second one.
    EXPECT_EQ(ScanFolderForPictures(scratch.Path() + "/").paths, expected);
}

TEST(FolderScan, UnreadableFolderGivesTheSystemsReason) {
    const FolderScan scan = ScanFolderForPictures("/nonexistent/folder");
    EXPECT_TRUE(scan.paths.empty());
    EXPECT_EQ(scan.error, "No such file or directory");
}

}  // namespace
