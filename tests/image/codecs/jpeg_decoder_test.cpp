// JPEG decoding: pixels against djpeg's output for the same file (exact) and
// against the colours the fixture script drew (within what lossy coding allows),
// resolution from JFIF and EXIF, and damaged or foreign input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/codecs/picture_jpg.h"
#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

std::string JpegFixture(const std::string& name) {
    return DataFilePath("jpeg", name);
}

// A binary PPM (P6) or PGM (P5) as djpeg writes it: rows top first.
struct Netpbm {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0;
    std::vector<uint8_t> samples;
};

Netpbm ReadNetpbm(const std::string& path) {
    Netpbm image;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return image;
    }
    char magic[3] = {};
    unsigned maxValue = 0;
    if (std::fscanf(file, "%2s %u %u %u", magic, &image.width, &image.height, &maxValue) == 4 &&
        std::fgetc(file) != EOF) {
        image.channels = std::string(magic) == "P6" ? 3 : 1;
        image.samples.resize(size_t{image.width} * image.height * image.channels);
        if (std::fread(image.samples.data(), 1, image.samples.size(), file) !=
            image.samples.size()) {
            image.samples.clear();
        }
    }
    std::fclose(file);
    return image;
}

// Compares every stored row with the reference (top row first), colour rows in
// the picture's blue-green-red order, and checks the row padding is cleared.
void ExpectRowsEqual(const Picture& picture, const Netpbm& reference) {
    ASSERT_FALSE(reference.samples.empty());
    ASSERT_EQ(picture.GetWidth(), reference.width);
    ASSERT_EQ(picture.GetHeight(), reference.height);
    const uint32_t width = reference.width;
    for (uint32_t y = 0; y < reference.height; ++y) {
        const uint8_t* stored = picture.GetBits(reference.height - 1 - y);
        const uint8_t* expected = &reference.samples[size_t{y} * width * reference.channels];
        for (uint32_t x = 0; x < width; ++x) {
            if (reference.channels == 1) {
                ASSERT_EQ(stored[x], expected[x]) << "x " << x << " y " << y;
            } else {
                ASSERT_EQ(stored[3 * x + 0], expected[3 * x + 2]) << "x " << x << " y " << y;
                ASSERT_EQ(stored[3 * x + 1], expected[3 * x + 1]) << "x " << x << " y " << y;
                ASSERT_EQ(stored[3 * x + 2], expected[3 * x + 0]) << "x " << x << " y " << y;
            }
        }
        for (uint32_t i = width * reference.channels; i < picture.GetEffectiveWidth(); ++i) {
            ASSERT_EQ(stored[i], 0) << "padding of row " << y;
        }
    }
}

// y counted from the top, as the fixture script draws.
void ExpectNear(const Picture& picture, int x, int yFromTop, int red, int green, int blue,
                int tolerance) {
    const RgbQuad color = picture.GetPixelColor(x, picture.GetHeight() - 1 - yFromTop, false);
    EXPECT_NEAR(color.red, red, tolerance) << "at " << x << ", " << yFromTop;
    EXPECT_NEAR(color.green, green, tolerance) << "at " << x << ", " << yFromTop;
    EXPECT_NEAR(color.blue, blue, tolerance) << "at " << x << ", " << yFromTop;
}

void ExpectDrawnBlocks(const Picture& picture, int tolerance) {
    ExpectNear(picture, 10, 7, 220, 30, 40, tolerance);
    ExpectNear(picture, 33, 7, 30, 200, 60, tolerance);
    ExpectNear(picture, 10, 22, 40, 50, 210, tolerance);
    ExpectNear(picture, 33, 22, 200, 200, 200, tolerance);
}

TEST(JpegDecoder, ColourFilesDecodeToDjpegPixelsInBlueGreenRedOrder) {
    for (const char* name : {"colour", "progressive"}) {
        SCOPED_TRACE(name);
        Picture picture;
        ASSERT_TRUE(picture.Load(JpegFixture(std::string(name) + ".jpg").c_str(), 0))
            << picture.GetLastError();
        EXPECT_EQ(picture.GetType(), 3u);
        EXPECT_EQ(picture.GetBpp(), 24);
        EXPECT_EQ(picture.GetNumColors(), 0u);
        EXPECT_FALSE(picture.IsGrayScale());
        ExpectRowsEqual(picture, ReadNetpbm(JpegFixture(std::string(name) + ".ppm")));
        ExpectDrawnBlocks(picture, 6);
    }
}

TEST(JpegDecoder, GreyFileLoadsAsEightBitsWithIdentityGreyPalette) {
    Picture picture;
    ASSERT_TRUE(picture.Load(JpegFixture("grey.jpg").c_str(), 0)) << picture.GetLastError();
    EXPECT_EQ(picture.GetBpp(), 8);
    EXPECT_EQ(picture.GetNumColors(), 256u);
    EXPECT_TRUE(picture.IsGrayScale());
    EXPECT_EQ(picture.GetPaletteColor(200), (RgbQuad{200, 200, 200, 0}));
    ExpectRowsEqual(picture, ReadNetpbm(JpegFixture("grey.pgm")));
    // The gradient runs from white on the left to black on the right.
    EXPECT_GE(picture.GetPixelIndex(0, 15), 245);
    EXPECT_LE(picture.GetPixelIndex(44, 15), 10);
}

TEST(JpegDecoder, InvertedCmykBecomesTheDrawnRgb) {
    Picture picture;
    ASSERT_TRUE(picture.Load(JpegFixture("cmyk.jpg").c_str(), 0)) << picture.GetLastError();
    EXPECT_EQ(picture.GetBpp(), 24);
    ExpectDrawnBlocks(picture, 4);
}

TEST(JpegDecoder, ScaleDenominatorShrinksAsDjpegDoes) {
    Picture picture;
    picture.SetJpegScale(2);
    ASSERT_TRUE(picture.Load(JpegFixture("colour.jpg").c_str(), 3)) << picture.GetLastError();
    EXPECT_EQ(picture.GetWidth(), 23u);
    EXPECT_EQ(picture.GetHeight(), 15u);
    ExpectRowsEqual(picture, ReadNetpbm(JpegFixture("colour_half.ppm")));
}

TEST(JpegDecoder, ResolutionComesFromExifElseJfifDensity) {
    struct Case {
        const char* file;
        int32_t xDpi;
        int32_t yDpi;
    };
    const Case cases[] = {
        {"density_inch.jpg", 300, 150},   // unit 1: as it stands
        {"density_cm.jpg", 102, 51},      // unit 2: 40 and 20 per cm
        {"density_aspect.jpg", 96, 144},  // unit 0, 2 : 3: only the vertical follows
        {"colour.jpg", 96, 96},           // no JFIF header at all
        {"exif_inch.jpg", 300, 200},      // EXIF wins over JFIF's 72
        {"exif_cm.jpg", 300, 150},        // 118 and 59 per cm
        {"exif_zero.jpg", 72, 72},        // zero EXIF resolution: JFIF's
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Picture picture;
        ASSERT_TRUE(picture.Load(JpegFixture(c.file).c_str(), 0)) << picture.GetLastError();
        EXPECT_EQ(picture.GetXDpi(), c.xDpi);
        EXPECT_EQ(picture.GetYDpi(), c.yDpi);
        EXPECT_EQ(picture.GetHeader().xPelsPerMeter,
                  static_cast<int32_t>(c.xDpi * 39.37007874015748 + 0.5));
    }
}

TEST(JpegDecoder, TruncatedFileKeepsTheRowsDecodedBeforeTheCut) {
    Picture picture;
    ASSERT_TRUE(picture.Load(JpegFixture("truncated.jpg").c_str(), 0)) << picture.GetLastError();
    ExpectRowsEqual(picture, ReadNetpbm(JpegFixture("truncated.ppm")));
}

TEST(JpegDecoder, EmptyAndForeignDataFailWithLibjpegMessages) {
    Picture empty;
    EXPECT_FALSE(empty.Load(JpegFixture("empty.jpg").c_str(), 3));
    EXPECT_FALSE(empty.IsValid());
    EXPECT_STREQ(empty.GetLastError(), "Empty input file");

    const uint8_t bitmap[] = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0};
    MemoryImageStream stream(bitmap, sizeof bitmap);
    PictureJPG decoder;
    EXPECT_FALSE(decoder.Decode(&stream));
    EXPECT_FALSE(decoder.IsValid());
    EXPECT_STREQ(decoder.GetLastError(), "Not a JPEG file: starts with 0x42 0x4d");
}

// colour.jpg with other dimensions in its start-of-frame segment (FF C0, length,
// precision, height, width); the compressed data then runs short, which libjpeg
// fills in.
std::vector<uint8_t> ColourJpegSized(uint16_t width, uint16_t height) {
    std::vector<uint8_t> data = ReadFileBytes(JpegFixture("colour.jpg"));
    for (size_t i = 2; i + 8 < data.size(); ++i) {
        if (data[i] == 0xFF && data[i + 1] == 0xC0) {
            data[i + 5] = static_cast<uint8_t>(height >> 8);
            data[i + 6] = static_cast<uint8_t>(height);
            data[i + 7] = static_cast<uint8_t>(width >> 8);
            data[i + 8] = static_cast<uint8_t>(width);
            return data;
        }
    }
    ADD_FAILURE() << "no start-of-frame segment";
    return {};
}

TEST(JpegDecoder, HugeDimensionsAreRefusedBeforeDecoding) {
    const std::vector<uint8_t> data = ColourJpegSized(65000, 65000);
    MemoryImageStream stream(data.data(), data.size());
    PictureJPG decoder;
    EXPECT_FALSE(decoder.Decode(&stream));
    EXPECT_STREQ(decoder.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
}

TEST(JpegDecoder, SizeHintTakesTheSmallestScaleThatStillCoversIt) {
    struct Case {
        uint16_t width, height;          // in the file
        uint32_t hintWidth, hintHeight;  // asked for
        uint32_t decodedWidth, decodedHeight;
    };
    const Case cases[] = {
        {4000, 3000, 280, 210, 500, 375},  // 1/8
        {1920, 1080, 280, 210, 480, 270},  // 1/8 would be 240 x 135
        {4000, 3000, 501, 0, 1000, 750},   // 2/8: only the width counts
        {1000, 1000, 0, 376, 500, 500},    // 3/8 gives 375
        {45, 30, 12, 8, 12, 8},            // 2/8, sizes rounded up
        {45, 30, 46, 1, 45, 30},           // never above the full size
        {45, 30, 0, 0, 45, 30},            // no hint
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " hint " << c.hintWidth
                                        << "x" << c.hintHeight);
        Picture picture;
        picture.SetDecodeSizeHint(c.hintWidth, c.hintHeight);
        ASSERT_TRUE(DecodeBytes(picture, ColourJpegSized(c.width, c.height), kFormatUnknown))
            << picture.GetLastError();
        EXPECT_EQ(picture.GetWidth(), c.decodedWidth);
        EXPECT_EQ(picture.GetHeight(), c.decodedHeight);
        EXPECT_EQ(picture.GetDecodeHintWidth(), c.hintWidth);
    }
}

TEST(JpegDecoder, SizeHintOfAContainedOrUprightPictureAsksForNoMore) {
    struct Case {
        const char* file;
        DecodeSizeHint hint;
        uint32_t decodedWidth, decodedHeight;
    };
    const Case cases[] = {
        // 45 x 30 contained in 23 x 40: the width limits, 4/8 reaches it.
        {"colour.jpg", {23, 40, true, false}, 23, 15},
        {"colour.jpg", {23, 40, false, false}, 45, 30},  // both sides: full size
        // Stored 30 x 45, upright 45 x 30: the hint 23 x 15 is about the upright sides.
        {"orientation_6.jpg", {23, 15, false, true}, 15, 23},
        {"orientation_6.jpg", {23, 15, false, false}, 23, 34},  // 6/8 of the stored sides
        {"orientation_3.jpg", {23, 15, false, true}, 23, 15},   // a half turn swaps nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.file << " " << c.hint.minWidth << "x" << c.hint.minHeight << " either "
                     << c.hint.eitherSide << " upright " << c.hint.upright);
        Picture picture;
        picture.SetDecodeSizeHint(c.hint);
        ASSERT_TRUE(picture.Load(JpegFixture(c.file).c_str(), kFormatUnknown));
        EXPECT_EQ(picture.GetWidth(), c.decodedWidth);
        EXPECT_EQ(picture.GetHeight(), c.decodedHeight);
    }
}

TEST(JpegDecoder, SizeHintDecodesAsDjpegScalesAndLeavesOtherScalesAlone) {
    // 4/8 of 45 x 30 is what djpeg -scale 1/2 wrote.
    Picture half;
    half.SetDecodeSizeHint(23, 15);
    ASSERT_TRUE(half.Load(JpegFixture("colour.jpg").c_str(), kFormatUnknown));
    ExpectRowsEqual(half, ReadNetpbm(JpegFixture("colour_half.ppm")));

    Picture scaled;  // an explicit scale wins
    scaled.SetJpegScale(2);
    scaled.SetDecodeSizeHint(1, 1);
    ASSERT_TRUE(scaled.Load(JpegFixture("colour.jpg").c_str(), kFormatJpeg));
    EXPECT_EQ(scaled.GetWidth(), 23u);

    Picture png;  // other decoders ignore the hint
    png.SetDecodeSizeHint(1, 1);
    ASSERT_TRUE(png.Load(DataFilePath("png", "rgb8.png").c_str(), kFormatUnknown));
    EXPECT_EQ(png.GetWidth(), 7u);
}

TEST(JpegDecoder, ProgressiveFileCountsItsCoefficientsAgainstTheLimit) {
    // Both files are 45 x 30 at 4:4:4: 4080 bytes of 24-bit picture, and 9216 bytes of
    // coefficients that libjpeg keeps for the progressive one (6 x 4 blocks, three
    // components), at full size whatever the scale. Halved, the picture is 23 x 15:
    // 1080 bytes.
    struct Case {
        const char* file;
        uint8_t scale;
        uint64_t limit;
        bool decodes;
    };
    const Case cases[] = {
        {"progressive.jpg", 0, 13296, true}, {"progressive.jpg", 0, 13295, false},
        {"progressive.jpg", 2, 10296, true}, {"progressive.jpg", 2, 10295, false},
        {"colour.jpg", 2, 1080, true},       {"colour.jpg", 2, 1079, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.file << " scale " << int{c.scale} << " limit " << c.limit);
        Picture picture;
        picture.SetJpegScale(c.scale);
        picture.SetMemoryLimit(c.limit);
        EXPECT_EQ(DecodeBytes(picture, ReadFileBytes(JpegFixture(c.file)), kFormatJpeg), c.decodes);
        EXPECT_STREQ(picture.GetLastError(), c.decodes ? "" : "PICTURE_MAX_MEMORY exceeded");
    }
    Picture picture;
    picture.SetMemoryLimit(13296);
    ASSERT_TRUE(picture.Load(JpegFixture("progressive.jpg").c_str(), kFormatJpeg));
    ExpectRowsEqual(picture, ReadNetpbm(JpegFixture("progressive.ppm")));
}

TEST(JpegDecoder, EscapeValueCancelsDecoding) {
    Picture picture;
    picture.SetEscape(1);
    EXPECT_FALSE(picture.Load(JpegFixture("colour.jpg").c_str(), 3));
    EXPECT_FALSE(picture.IsValid());
    EXPECT_STREQ(picture.GetLastError(), "Cancelled");
}

}  // namespace
