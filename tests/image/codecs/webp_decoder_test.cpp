// WebP decoding: the lossless files against the rules of tests/data/draw_masters.py
// (exact), every file against dwebp's decoding (exact: the same library), the first
// frame of an animation on its canvas, a picture large enough to be decoded in many
// slices, and damaged or foreign input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/codecs/picture_webp.h"
#include "image/codecs/reference_decode.h"
#include "image/image_test_support.h"
#include "image/picture.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

using namespace image_test;
using test_support::RunProgramToFile;
using test_support::ScratchFolder;

// The rules of tests/data/draw_masters.py; x from the left, y from the top.
Rgb ColourRule(int x, int y) {
    return {5 * x + 10, 8 * y + 5, 3 * x + 4 * y + 2};
}
int AlphaRule(int x) {
    return 255 - 5 * x;
}

TEST(WebpDecoder, LosslessFilesHoldTheirRulesExactly) {
    for (const bool alpha : {false, true}) {
        const std::string name = alpha ? "lossless_alpha.webp" : "lossless.webp";
        SCOPED_TRACE(name);
        PictureWEBP picture;
        ASSERT_TRUE(DecodeBytes(picture, ReadFileBytes(DataFilePath("webp", name))))
            << picture.GetLastError();
        EXPECT_EQ(picture.GetType(), 8u);
        EXPECT_EQ(picture.GetBpp(), 24);
        ExpectPictureFromTop(picture, 45, 31, ColourRule);
        ASSERT_EQ(picture.HasAlpha(), alpha);
        int alphaMismatches = 0;
        for (uint32_t y = 0; alpha && y < 31; ++y) {
            for (uint32_t x = 0; x < 45; ++x) {
                alphaMismatches += AlphaFromTop(picture, x, y) != AlphaRule(x);
            }
        }
        EXPECT_EQ(alphaMismatches, 0);
    }
}

// dwebp decodes no animation: of animated_alpha.webp, whose first frame (lossy with
// alpha) covers its canvas, it decodes that frame as webpmux takes it out.
TEST(WebpDecoder, EveryFileDecodesAsDwebpDecodesIt) {
    REQUIRE_PROGRAM("dwebp");
    REQUIRE_PROGRAM("webpmux");
    ScratchFolder scratch;
    struct Case {
        const char* name;
        bool alpha;
        bool animation;
    };
    for (const Case& test :
         {Case{"lossy.webp", false, false}, Case{"lossless.webp", false, false},
          Case{"lossy_alpha.webp", true, false}, Case{"lossless_alpha.webp", true, false},
          Case{"animated_alpha.webp", true, true}}) {
        SCOPED_TRACE(test.name);
        const std::string path = DataFilePath("webp", test.name);
        Picture picture;
        ASSERT_TRUE(picture.Load(path.c_str(), kFormatUnknown)) << picture.GetLastError();
        EXPECT_EQ(picture.GetType(), 8u);
        EXPECT_EQ(picture.HasAlpha(), test.alpha);
        std::string decoded = path;
        if (test.animation) {
            decoded = scratch.File("first_frame.webp");
            ASSERT_EQ(RunProgramToFile({"webpmux", "-get", "frame", "1", path, "-o", decoded}), 0);
        }
        EXPECT_EQ(
            CompareWithReference(picture, DecodeWithDwebp(decoded, scratch.Path(), test.alpha)),
            "");
    }
}

// The canvas is 45 x 31; the first frame, cut from the colour master, covers the 20 x
// 12 rectangle at (10, 6). Around it the canvas is transparent black.
TEST(WebpDecoder, AnAnimationGivesItsFirstFrameOnATransparentCanvas) {
    Picture picture;
    ASSERT_TRUE(picture.Load(DataFilePath("webp", "animated.webp").c_str(), kFormatUnknown))
        << picture.GetLastError();
    ASSERT_EQ(picture.GetWidth(), 45u);
    ASSERT_EQ(picture.GetHeight(), 31u);
    ASSERT_TRUE(picture.HasAlpha());
    int mismatches = 0;
    for (int y = 0; y < 31; ++y) {
        for (int x = 0; x < 45; ++x) {
            const bool inFrame = x >= 10 && x < 30 && y >= 6 && y < 18;
            const Rgb expected = inFrame ? ColourRule(x, y) : Rgb{0, 0, 0};
            mismatches += !(ColorFromTop(picture, x, y) == expected);
            mismatches += AlphaFromTop(picture, x, y) != (inFrame ? 255 : 0);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Noise compresses to about as many bytes as it has, so this file takes libwebp's
// incremental decoder several slices of a quarter MiB.
TEST(WebpDecoder, ALargePictureDecodedSliceBySliceMatchesDwebp) {
    REQUIRE_PROGRAM("cwebp");
    REQUIRE_PROGRAM("convert");
    ScratchFolder scratch;
    const std::string png = scratch.File("noise.png");
    const std::string webp = scratch.File("noise.webp");
    ASSERT_EQ(RunProgramToFile({"convert", "-seed", "23", "-size", "900x700", "xc:gray", "-alpha",
                                "set", "-channel", "RGBA", "+noise", "Random", png}),
              0);
    ASSERT_EQ(
        RunProgramToFile({"cwebp", "-quiet", "-lossless", "-exact", "-z", "0", png, "-o", webp}),
        0);
    ASSERT_GT(test_support::ReadFileBytes(webp).size(), 4u << 18);
    Picture picture;
    ASSERT_TRUE(picture.Load(webp.c_str(), kFormatUnknown)) << picture.GetLastError();
    EXPECT_EQ(CompareWithReference(picture, DecodeWithDwebp(webp, scratch.Path(), true)), "");
}

std::vector<uint8_t> RiffFile(const std::string& form, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    const uint32_t size = static_cast<uint32_t>(4 + body.size());
    for (int i = 0; i < 4; ++i) {
        file.push_back(static_cast<uint8_t>(size >> (8 * i)));
    }
    file.insert(file.end(), form.begin(), form.end());
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

TEST(WebpDecoder, DamagedOrForeignFilesAreRefusedWithTheirReason) {
    const std::vector<uint8_t> lossy = ReadFileBytes(DataFilePath("webp", "lossy.webp"));
    // A lossless chunk whose header (signature 0x2F, 14 bits each of width - 1 and
    // height - 1) claims 16384 x 16384 pixels, 768 MiB of rows.
    const std::vector<uint8_t> huge =
        RiffFile("WEBP", {'V', 'P', '8', 'L', 5, 0, 0, 0, 0x2F, 0xFF, 0xFF, 0xFF, 0x0F, 0});
    std::vector<uint8_t> damagedStart = lossy;
    damagedStart[23] ^= 0xFF;  // the key frame's start code
    ExpectEachRefused<PictureWEBP>({
        {"cut short", ReadFileBytes(DataFilePath("webp", "truncated.webp")),
         "WebP file is truncated"},
        {"the header alone", RiffFile("WEBP", {}), "corrupted WebP"},
        {"a damaged key frame", damagedStart, "corrupted WebP"},
        {"a picture past the memory limit", huge, "PICTURE_MAX_MEMORY exceeded"},
        {"a sound file", RiffFile("WAVE", {'f', 'm', 't', ' '}), "Not a WebP file"},
        {"nothing", {}, "Not a WebP file"},
    });
}

TEST(WebpDecoder, AFileLargerThanTheMemoryLimitIsNotRead) {
    const std::vector<uint8_t> lossy = ReadFileBytes(DataFilePath("webp", "lossy.webp"));
    PictureWEBP picture;
    picture.SetMemoryLimit(lossy.size() - 1);
    EXPECT_FALSE(DecodeBytes(picture, lossy));
    EXPECT_STREQ(picture.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
}

}  // namespace
