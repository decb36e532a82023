// Life cycle of a picture: Create and its limits, the block layout, resolution, last
// error, ownership moves, Flip and Mirror.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/picture.h"

namespace {

std::vector<uint8_t> HeaderBytes(const Picture& picture) {
    const uint8_t* dib = picture.GetDib();
    return std::vector<uint8_t>(dib, dib + 40);
}

TEST(PictureCreate, RefusesZeroSizeWithItsMessage) {
    Picture picture;
    EXPECT_EQ(picture.Create(0, 10, 24, 0), nullptr);
    EXPECT_STREQ(picture.GetLastError(),
                 "Picture::Create : width and height must be greater than zero");
    EXPECT_EQ(picture.Create(10, 0, 8, 0), nullptr);
    EXPECT_FALSE(picture.IsValid());
}

TEST(PictureCreate, RefusalLeavesAnEmptyPictureWithoutTheOldMeasures) {
    Picture picture;
    for (uint32_t width : {0u, 10000u}) {
        ASSERT_NE(picture.Create(6, 5, 8, kFormatGif), nullptr);
        EXPECT_EQ(picture.Create(width, 10000, 24, 0), nullptr);
        EXPECT_FALSE(picture.IsValid());
        EXPECT_EQ(picture.GetWidth(), 0u);
        EXPECT_EQ(picture.GetHeight(), 0u);
        EXPECT_EQ(picture.GetBpp(), 0);
        EXPECT_EQ(picture.GetNumColors(), 0u);
        EXPECT_EQ(picture.GetEffectiveWidth(), 0u);
        EXPECT_EQ(picture.GetHeader().xPelsPerMeter, 3780);
    }
}

TEST(PictureCreate, RefusesPicturesPastTheMemoryLimit) {
    Picture picture;
    EXPECT_EQ(picture.Create(10000, 10000, 24, 0), nullptr);  // 300,000,000 bytes
    EXPECT_STREQ(picture.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
    EXPECT_FALSE(picture.IsValid());
    // Products that wrap around in 32 bits must not slip under the limit.
    EXPECT_EQ(picture.Create(65536, 65536, 24, 0), nullptr);
    EXPECT_EQ(picture.Create(65536, 65536, 8, 0), nullptr);
    EXPECT_EQ(picture.Create(0x80000000u, 1, 1, 0), nullptr);
    // One pixel per row still costs a padded 4-byte row: 400,000,000 bytes.
    EXPECT_EQ(picture.Create(1, 100000000, 1, 0), nullptr);
    EXPECT_STREQ(picture.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
}

TEST(PictureCreate, AcceptsPicturesJustUnderTheLimit) {
    Picture picture;
    ASSERT_NE(picture.Create(9000, 9000, 24, 0), nullptr);  // 243,000,000 bytes
    EXPECT_EQ(picture.GetDibSize(), 40u + 243000000u);
    EXPECT_EQ(picture.GetEffectiveWidth(), 27000u);
}

TEST(PictureMemoryLimit, IsSetPerPictureAndCarriesToEveryPictureMadeFromIt) {
    Picture picture;
    EXPECT_EQ(picture.GetMemoryLimit(), 268435456u);
    picture.SetMemoryLimit(4000);
    // 40 x 33 at 24 bits: rows of 120 bytes, 3960 in all; one row more is 4080.
    ASSERT_NE(picture.Create(40, 33, 24, 0), nullptr);
    EXPECT_EQ(picture.Create(40, 34, 24, 0), nullptr);
    EXPECT_STREQ(picture.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
    // The alpha plane (one byte a pixel) answers to the same limit.
    ASSERT_NE(picture.Create(101, 40, 1, 0), nullptr);
    EXPECT_FALSE(picture.CreateAlpha());
    ASSERT_NE(picture.Create(100, 40, 8, 0), nullptr);
    EXPECT_TRUE(picture.CreateAlpha());
    // 100 x 40 at 24 bits needs 12,000 bytes.
    EXPECT_FALSE(picture.IncreaseBpp(24));
    EXPECT_EQ(picture.GetBpp(), 8);

    Picture resampled;
    ASSERT_TRUE(picture.Resample(10, 10, ResampleMode::kAreaAverageOrBilinear, &resampled));
    EXPECT_EQ(resampled.GetMemoryLimit(), 4000u);
    EXPECT_FALSE(resampled.Resample(40, 101, ResampleMode::kNearest));
    Picture copy;
    ASSERT_TRUE(copy.Copy(resampled));
    EXPECT_EQ(copy.GetMemoryLimit(), 4000u);
}

TEST(PictureCreate, RoundsBitsPerPixelUp) {
    const std::pair<uint32_t, uint16_t> cases[] = {{0, 1}, {1, 1},  {2, 4},   {4, 4},  {5, 8},
                                                   {8, 8}, {9, 24}, {16, 24}, {32, 24}};
    for (const auto& [asked, expected] : cases) {
        Picture picture;
        ASSERT_NE(picture.Create(5, 3, asked, 0), nullptr) << asked;
        EXPECT_EQ(picture.GetBpp(), expected) << asked;
    }
}

TEST(PictureCreate, WritesTheBitmapHeaderIntoTheBlock) {
    Picture picture(kFormatBmp);
    ASSERT_NE(picture.Create(3, 2, 24, kFormatJpeg), nullptr);
    const std::vector<uint8_t> expected = {0x28, 0,    0, 0, 3, 0, 0,  0, 2, 0, 0,    0,    1, 0,
                                           24,   0,    0, 0, 0, 0, 24, 0, 0, 0, 0xC4, 0x0E, 0, 0,
                                           0xC4, 0x0E, 0, 0, 0, 0, 0,  0, 0, 0, 0,    0};
    EXPECT_EQ(HeaderBytes(picture), expected);
    EXPECT_EQ(picture.GetDibSize(), 40u + 2 * 12u);
    EXPECT_EQ(picture.GetType(), static_cast<uint32_t>(kFormatJpeg));
    EXPECT_EQ(picture.GetBits(0), picture.GetDib() + 40);
    EXPECT_EQ(picture.GetBits(1), picture.GetDib() + 52);
    EXPECT_EQ(picture.GetBits(2), nullptr);
}

TEST(PictureCreate, LaysOutPaletteAndPaddedRows) {
    struct Case {
        uint32_t width, bpp, colors, rowBytes;
    };
    const Case cases[] = {{33, 1, 2, 8}, {9, 4, 16, 8}, {5, 8, 256, 8}, {4, 24, 0, 12}};
    for (const Case& c : cases) {
        Picture picture;
        ASSERT_NE(picture.Create(c.width, 3, c.bpp, 0), nullptr);
        EXPECT_EQ(picture.GetNumColors(), c.colors);
        EXPECT_EQ(picture.GetEffectiveWidth(), c.rowBytes);
        EXPECT_EQ(picture.GetDibSize(), 40u + 4 * c.colors + 3 * c.rowBytes);
        EXPECT_EQ(picture.GetHeader().sizeImage, 3 * c.rowBytes);
        EXPECT_EQ(picture.GetBits(0), picture.GetDib() + 40 + 4 * c.colors);
        // The palette starts out black.
        for (uint32_t i = 0; i < c.colors; ++i) {
            EXPECT_EQ(picture.GetPaletteColor(i), RgbQuad{});
        }
    }
}

TEST(PictureCreate, ReplacesTheOldContentsAndAlphaPlane) {
    Picture picture;
    ASSERT_NE(picture.Create(4, 4, 24, 0), nullptr);
    ASSERT_TRUE(picture.CreateAlpha());
    ASSERT_NE(picture.Create(2, 2, 8, 0), nullptr);
    EXPECT_FALSE(picture.HasAlpha());
    EXPECT_EQ(picture.GetWidth(), 2u);
    EXPECT_EQ(picture.GetBpp(), 8);
}

TEST(PictureLifeCycle, DestroyFreesOwnedPicturesButNotBorrowedOnes) {
    Picture owner;
    ASSERT_NE(owner.Create(4, 4, 8, 0), nullptr);
    Picture borrower;
    ASSERT_TRUE(borrower.Borrow(owner));
    EXPECT_FALSE(borrower.Destroy());
    EXPECT_TRUE(borrower.IsValid());
    EXPECT_TRUE(owner.IsValid());
    EXPECT_TRUE(owner.Destroy());
    EXPECT_FALSE(owner.IsValid());
    EXPECT_EQ(owner.GetBits(0), nullptr);
}

TEST(PictureResolution, SetsDotsPerInchAndPixelsPerMetre) {
    Picture picture;
    ASSERT_NE(picture.Create(2, 2, 24, 0), nullptr);
    picture.SetXDpi(300);
    picture.SetYDpi(72);
    EXPECT_EQ(picture.GetXDpi(), 300);
    EXPECT_EQ(picture.GetHeader().xPelsPerMeter, 11811);
    EXPECT_EQ(picture.GetHeader().yPelsPerMeter, 2835);
    const uint8_t* dib = picture.GetDib();
    EXPECT_EQ(std::vector<uint8_t>(dib + 24, dib + 32),
              (std::vector<uint8_t>{0x23, 0x2E, 0, 0, 0x13, 0x0B, 0, 0}));
    picture.SetXDpi(0);
    picture.SetYDpi(-5);
    EXPECT_EQ(picture.GetXDpi(), 96);
    EXPECT_EQ(picture.GetYDpi(), 96);
    EXPECT_EQ(picture.GetHeader().yPelsPerMeter, 3780);
    // A resolution from a hostile file must not overflow the header field.
    picture.SetXDpi(2147483647);
    EXPECT_EQ(picture.GetHeader().xPelsPerMeter, 2147483647);
}

TEST(PictureLastError, CodeAndTextGoTogetherAndAnEmptyTextKeepsTheOld) {
    Picture picture;
    EXPECT_EQ(picture.GetErrorCode(), PictureError::kNone);
    picture.SetError(PictureError::kSystem, "first");
    picture.SetError(PictureError::kCodecLibrary, "");
    picture.SetError(PictureError::kCodecLibrary);  // a library text that says nothing
    picture.SetError(PictureError::kNone);
    EXPECT_EQ(picture.GetErrorCode(), PictureError::kSystem);
    EXPECT_STREQ(picture.GetLastError(), "first");
    picture.SetError(PictureError::kMemoryLimit);
    EXPECT_EQ(picture.GetErrorCode(), PictureError::kMemoryLimit);
    EXPECT_STREQ(picture.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
    const std::string longText(300, 'x');
    picture.SetError(PictureError::kCodecLibrary, longText.c_str());
    EXPECT_EQ(std::string(picture.GetLastError()), std::string(255, 'x'));
    picture.ClearLastError();
    EXPECT_EQ(picture.GetErrorCode(), PictureError::kNone);
    EXPECT_STREQ(picture.GetLastError(), "");
}

TEST(PictureOwnership, TakeOverMovesEverythingAndEmptiesTheOther) {
    Picture source(kFormatPng);
    ASSERT_NE(source.Create(3, 2, 8, kFormatPng), nullptr);
    ASSERT_TRUE(source.CreateAlpha());
    source.SetPixelIndex(1, 1, 42);
    source.SetXDpi(200);
    source.SetTransparentIndex(5);
    const uint8_t* block = source.GetDib();

    Picture target;
    ASSERT_NE(target.Create(9, 9, 24, 0), nullptr);
    ASSERT_TRUE(target.TakeOver(source));
    EXPECT_EQ(target.GetDib(), block);
    EXPECT_EQ(target.GetWidth(), 3u);
    EXPECT_EQ(target.GetPixelIndex(1, 1), 42);
    EXPECT_TRUE(target.HasAlpha());
    EXPECT_EQ(target.GetXDpi(), 200);
    EXPECT_EQ(target.GetTransparentIndex(), 5);
    EXPECT_EQ(target.GetType(), 4u);
    EXPECT_FALSE(source.IsValid());
    EXPECT_FALSE(source.HasAlpha());
    EXPECT_EQ(source.GetWidth(), 0u);
}

TEST(PictureOwnership, BorrowSharesPixelsAndLeavesThemToTheOwner) {
    Picture owner;
    ASSERT_NE(owner.Create(2, 2, 24, 0), nullptr);
    ASSERT_TRUE(owner.CreateAlpha());
    owner.SetJpegQuality(80);
    {
        Picture borrower;
        ASSERT_TRUE(borrower.Borrow(owner));
        EXPECT_EQ(borrower.GetDib(), owner.GetDib());
        EXPECT_EQ(borrower.GetAlphaPlane(), owner.GetAlphaPlane());
        EXPECT_EQ(borrower.GetJpegQuality(), 80);
        borrower.SetPixelColor(1, 0, RgbQuad{1, 2, 3, 0});
    }  // the borrower goes first and must free nothing
    EXPECT_EQ(owner.GetPixelColor(1, 0, false), (RgbQuad{1, 2, 3, 0}));
    EXPECT_TRUE(owner.HasAlpha());
}

TEST(PictureOwnership, CopyDuplicatesBlockAndAlpha) {
    Picture original;
    ASSERT_NE(original.Create(2, 2, 8, 0), nullptr);
    ASSERT_TRUE(original.CreateAlpha());
    original.SetPaletteColor(7, RgbQuad{10, 20, 30, 0});
    original.SetPixelIndex(0, 1, 7);
    original.SetYDpi(150);
    Picture copy;
    ASSERT_TRUE(copy.Copy(original));
    ASSERT_NE(copy.GetDib(), original.GetDib());
    ASSERT_NE(copy.GetAlphaPlane(), original.GetAlphaPlane());
    EXPECT_EQ(0, std::memcmp(copy.GetDib(), original.GetDib(), original.GetDibSize()));
    EXPECT_EQ(copy.GetPixelColor(0, 1, false), (RgbQuad{10, 20, 30, 0}));
    EXPECT_EQ(copy.GetYDpi(), 150);
    copy.SetPixelIndex(0, 1, 3);
    copy.GetAlphaPlane()[0] = 9;
    EXPECT_EQ(original.GetPixelIndex(0, 1), 7);
    EXPECT_EQ(original.GetAlphaPlane()[0], 255);
}

TEST(PictureOwnership, CopyInformationKeepsOwnPixels) {
    Picture source(kFormatGif);
    source.SetXDpi(300);
    source.SetJpegQuality(55);
    source.SetFrameNumber(2);
    source.SetTransparentIndex(4);
    Picture target;
    ASSERT_NE(target.Create(5, 1, 24, 0), nullptr);
    target.CopyInformation(source);
    EXPECT_EQ(target.GetEffectiveWidth(), 16u);
    EXPECT_EQ(target.GetXDpi(), 300);
    EXPECT_EQ(target.GetHeader().xPelsPerMeter, 11811);
    EXPECT_EQ(target.GetJpegQuality(), 55);
    EXPECT_EQ(target.GetFrameNumber(), 2);
    EXPECT_EQ(target.GetTransparentIndex(), 4);
    EXPECT_EQ(target.GetType(), 2u);
}

TEST(PictureTurns, FlipSwapsRowsAndAlpha) {
    Picture picture;
    ASSERT_NE(picture.Create(2, 3, 8, 0), nullptr);
    ASSERT_TRUE(picture.CreateAlpha());
    for (uint32_t y = 0; y < 3; ++y) {
        picture.SetPixelIndex(0, y, static_cast<uint8_t>(y + 1));
        picture.GetAlphaPlane()[y * 2] = static_cast<uint8_t>(10 * y);
    }
    ASSERT_TRUE(picture.Flip());
    EXPECT_EQ(picture.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(picture.GetPixelIndex(0, 1), 2);
    EXPECT_EQ(picture.GetPixelIndex(0, 2), 1);
    EXPECT_EQ(picture.GetAlphaPlane()[0], 20);
    EXPECT_EQ(picture.GetAlphaPlane()[4], 0);
}

TEST(PictureTurns, MirrorReversesEveryDepth) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        Picture picture;
        ASSERT_NE(picture.Create(11, 1, bpp, 0), nullptr);
        const uint8_t top = static_cast<uint8_t>((1u << bpp) - 1);
        picture.SetPixelIndex(0, 0, top);
        picture.SetPixelIndex(3, 0, 1);
        ASSERT_TRUE(picture.Mirror());
        EXPECT_EQ(picture.GetPixelIndex(10, 0), top) << bpp;
        EXPECT_EQ(picture.GetPixelIndex(7, 0), 1) << bpp;
        EXPECT_EQ(picture.GetPixelIndex(0, 0), 0) << bpp;
    }
    Picture colour;
    ASSERT_NE(colour.Create(3, 1, 24, 0), nullptr);
    colour.SetPixelColor(0, 0, RgbQuad{1, 2, 3, 0});
    ASSERT_TRUE(colour.Mirror());
    EXPECT_EQ(colour.GetPixelColor(2, 0, false), (RgbQuad{1, 2, 3, 0}));
    EXPECT_EQ(colour.GetPixelColor(0, 0, false), RgbQuad{});
}

}  // namespace
