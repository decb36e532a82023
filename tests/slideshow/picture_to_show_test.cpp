// A clicked picture for the preview area: the size from the header without decoding,
// hostile headers refused, and a JPEG decoded at the scale that covers the area.
#include "slideshow/picture_to_show.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "image/picture.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

std::vector<uint8_t> Png(const std::vector<uint8_t>& ihdr) {
    std::vector<uint8_t> bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const uint8_t byte : ihdr) {
        bytes.push_back(byte);
    }
    return bytes;
}

TEST(PictureToShow, TheHeaderGivesTheSizeAndAnythingOddGivesNone) {
    ScratchFolder scratch;
    // SOI, an APP0 segment to skip, fill bytes, then a baseline frame of 4000 x 3000.
    const std::vector<uint8_t> jpeg{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J',  'F',  0xFF,
                                    0xFF, 0xC0, 0x00, 0x11, 0x08, 0x0B, 0xB8, 0x0F, 0xA0};
    const std::vector<uint8_t> progressive{0xFF, 0xD8, 0xFF, 0xC2, 0x00, 0x11,
                                           0x08, 0x0B, 0xB8, 0x0F, 0xA0};
    const std::vector<uint8_t> ihdr{0, 0, 0,    13,   'I', 'H', 'D',  'R',
                                    0, 0, 0x1F, 0x40, 0,   0,   0x17, 0x70};
    std::vector<uint8_t> zeroHeight = ihdr;
    zeroHeight[15] = 0;
    zeroHeight[14] = 0;
    std::vector<uint8_t> huge = ihdr;
    huge[8] = 0x80;
    const std::pair<std::vector<uint8_t>, std::optional<PictureHeaderSize>> cases[] = {
        {jpeg, PictureHeaderSize{4000, 3000}},
        {progressive, PictureHeaderSize{4000, 3000}},
        {Png(ihdr), PictureHeaderSize{8000, 6000}},
        {Png(zeroHeight), std::nullopt},
        {Png(huge), std::nullopt},                             // wider than a signed 32-bit size
        {{0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, std::nullopt},  // scan data before a frame
        {{0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 1, 2}, std::nullopt},  // segment past the end
        {{0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01}, std::nullopt},        // length shorter than itself
        {{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08}, std::nullopt},  // cut frame header
        {{'B', 'M', 0, 0}, std::nullopt},  // other formats: nothing from the header
        {{}, std::nullopt},
    };
    int index = 0;
    for (const auto& [bytes, size] : cases) {
        const std::string path = scratch.File("case" + std::to_string(index++));
        WriteFileBytes(path, bytes);
        EXPECT_EQ(ReadPictureHeaderSize(path), size) << index - 1;
    }
    EXPECT_EQ(ReadPictureHeaderSize(scratch.File("missing.jpg")), std::nullopt);
    EXPECT_EQ(ReadPictureHeaderSize(scratch.Path()), std::nullopt);
    // A pipe is never opened: reading it would wait for a writer that never comes.
    const std::string pipe = scratch.File("pipe.jpg");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ReadPictureHeaderSize(pipe), std::nullopt);
    const ShownPicture fromPipe = LoadPictureForArea(pipe, 100, 100, std::nullopt);
    EXPECT_EQ(fromPipe.picture, nullptr);
    EXPECT_EQ(fromPipe.sizeText, "0*0 pixels");
}

TEST(PictureToShow, APictureComesAtTheAreasSizeAndKeepsItsOwnSizeText) {
    const std::string sunrise = std::string(REELWRIGHT_SOURCE_DIR) + "/examples/01-sunrise.jpg";
    const std::optional<PictureHeaderSize> header = ReadPictureHeaderSize(sunrise);
    ASSERT_EQ(header, (PictureHeaderSize{640, 480}));
    // Decoded at a quarter (160 x 120, the smallest eighth that covers 150 x 100),
    // then brought to the area's size; the size shown is the file's own.
    const ShownPicture shown = LoadPictureForArea(sunrise, 150, 100, header);
    ASSERT_NE(shown.picture, nullptr);
    EXPECT_EQ(shown.picture->GetWidth(), 150u);
    EXPECT_EQ(shown.picture->GetHeight(), 100u);
    EXPECT_EQ(shown.sizeText, "640*480 pixels");
    // A picture smaller than the area stays as it is.
    const ShownPicture whole = LoadPictureForArea(sunrise, 1000, 1000, header);
    ASSERT_NE(whole.picture, nullptr);
    EXPECT_EQ(whole.picture->GetWidth(), 640u);
    // Without a header size it is decoded whole, and measured.
    const std::string checker = std::string(REELWRIGHT_SOURCE_DIR) + "/examples/03-checker.bmp";
    const ShownPicture bmp = LoadPictureForArea(checker, 150, 100, std::nullopt);
    ASSERT_NE(bmp.picture, nullptr);
    EXPECT_EQ(bmp.sizeText, "320*240 pixels");
    // A decode stopped because a newer click came gives nothing.
    const std::atomic<bool> stopped{true};
    EXPECT_EQ(LoadPictureForArea(sunrise, 150, 100, header, &stopped).picture, nullptr);
}

TEST(PictureToShow, APhotoTurnedUprightGivesItsUprightSizeFromTheHeaderAndThePixels) {
    // Stored 30 x 45 with orientation 6 (after an XMP block, which is passed over).
    ScratchFolder scratch;
    const std::string fixture = std::string(REELWRIGHT_TEST_DATA_DIR) + "/jpeg/orientation_6.jpg";
    std::vector<uint8_t> bytes = ReadFileBytes(fixture);
    const std::vector<uint8_t> xmp{0xFF, 0xE1, 0x00, 0x08, 'h', 't', 't', 'p', ':', '/'};
    bytes.insert(bytes.begin() + 2, xmp.begin(), xmp.end());
    const std::string photo = scratch.File("photo.jpg");
    ASSERT_TRUE(WriteFileBytes(photo, bytes));
    for (const std::string& path : {fixture, photo}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ReadPictureHeaderSize(path), (PictureHeaderSize{30, 45}));
        const std::optional<PictureHeaderSize> upright = ReadPictureHeaderSize(path, true);
        ASSERT_EQ(upright, (PictureHeaderSize{45, 30}));
        const ShownPicture shown = LoadPictureForArea(path, 20, 20, upright, nullptr, true);
        ASSERT_NE(shown.picture, nullptr);
        EXPECT_EQ(shown.sizeText, "45*30 pixels");
        // Decoded at 4/8 of the stored size (15 x 23, which covers 20 x 20 upright
        // as 23 x 15 would not), turned, then brought to the area.
        EXPECT_EQ(shown.picture->GetWidth(), 20u);
        // Read whole (no header size), it is measured upright.
        EXPECT_EQ(LoadPictureForArea(path, 100, 100, std::nullopt, nullptr, true).sizeText,
                  "45*30 pixels");
    }
    // A photo without a quarter turn keeps its sides.
    EXPECT_EQ(ReadPictureHeaderSize(
                  std::string(REELWRIGHT_TEST_DATA_DIR) + "/jpeg/orientation_3.jpg", true),
              (PictureHeaderSize{45, 30}));
}

}  // namespace
