// HEIF decoding (HEIC and AVIF): every file against heif-convert's decoding (exact:
// the same library), the lossless AVIF files against the rules of
// tests/data/draw_masters.py (exact, 10 and 12-bit values rounded to 8 bits), the
// container's rotation and mirroring, the primary image, another library's decoding
// (avifdec) within its rounding, and damaged or foreign input.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "image/codecs/picture_heif.h"
#include "image/codecs/reference_decode.h"
#include "image/image_test_support.h"
#include "image/picture.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

using namespace image_test;
using test_support::ScratchFolder;

constexpr int kWidth = 45;
constexpr int kHeight = 31;

// The rules of tests/data/draw_masters.py; x from the left, y from the top.
Rgb ColourRule(int x, int y) {
    return {5 * x + 10, 8 * y + 5, 3 * x + 4 * y + 2};
}
Rgb OtherRule(int x, int y) {
    return {200 - 4 * x, 30 + 3 * y, 90};
}
// The deep masters' values of `bits` bits, each rounded to 8 bits.
Rgb DeepRuleInEightBits(int x, int y, int bits) {
    const int maximum = (1 << bits) - 1;
    const int red = (x + 45 * y) % (maximum + 1);
    const int blue = (37 * x + 11 * y) % (maximum + 1);
    const auto eight = [maximum](int value) {
        return static_cast<int>(std::lround(value * 255.0 / maximum));
    };
    return {eight(red), eight(maximum - red), eight(blue)};
}

struct FixtureCase {
    const char* folder;
    const char* name;
    uint32_t type;
    uint32_t width;
    uint32_t height;
    bool alpha;
    int bits;
    size_t image;  // which of heif-convert's pictures is the primary one
};

const FixtureCase kFixtures[] = {
    {"heif", "colour.heic", 9, 45, 31, false, 8, 0},
    {"heif", "alpha.heic", 9, 45, 31, true, 8, 0},
    {"heif", "deep10.heic", 9, 45, 31, false, 10, 0},
    {"heif", "deep12.heic", 9, 45, 31, false, 12, 0},
    {"heif", "turned.heic", 9, 31, 45, false, 8, 0},
    {"heif", "second_primary.heic", 9, 45, 31, false, 8, 1},
    {"avif", "colour.avif", 10, 45, 31, false, 8, 0},
    {"avif", "lossless.avif", 10, 45, 31, false, 8, 0},
    {"avif", "alpha.avif", 10, 45, 31, true, 8, 0},
    {"avif", "deep10.avif", 10, 45, 31, false, 10, 0},
    {"avif", "deep12.avif", 10, 45, 31, false, 12, 0},
    {"avif", "irot1.avif", 10, 31, 45, false, 8, 0},
    {"avif", "imir0.avif", 10, 45, 31, false, 8, 0},
    {"avif", "irot3_imir1.avif", 10, 31, 45, false, 8, 0},
};

TEST(HeifDecoder, EveryFileDecodesAsHeifConvertDecodesIt) {
    REQUIRE_PROGRAM("heif-convert");
    REQUIRE_PROGRAM("convert");
    for (const FixtureCase& test : kFixtures) {
        SCOPED_TRACE(test.name);
        ScratchFolder scratch;
        const std::string path = DataFilePath(test.folder, test.name);
        Picture picture;
        ASSERT_TRUE(picture.Load(path.c_str(), kFormatUnknown)) << picture.GetLastError();
        EXPECT_EQ(picture.GetType(), test.type);
        EXPECT_EQ(picture.GetBpp(), 24);
        EXPECT_EQ(picture.GetWidth(), test.width);
        EXPECT_EQ(picture.GetHeight(), test.height);
        EXPECT_EQ(picture.HasAlpha(), test.alpha);
        const std::vector<NetpbmPicture> references = DecodeWithHeifConvert(path, scratch.Path());
        ASSERT_GT(references.size(), test.image);
        EXPECT_EQ(CompareWithReference(picture, references[test.image], test.bits), "");
    }
}

// Where output pixel (x, y) of a turned picture comes from in the 45 x 31 master.
struct SourcePoint {
    int x;
    int y;
};
using Turn = std::function<SourcePoint(int, int)>;

TEST(HeifDecoder, LosslessAvifHoldsItsRulesTurnedAndRoundedAsTheFileSays) {
    const Turn upright = [](int x, int y) { return SourcePoint{x, y}; };
    const auto colour = [](SourcePoint p) { return ColourRule(p.x, p.y); };
    struct Case {
        const char* name;
        uint32_t width;
        uint32_t height;
        Turn turn;
        std::function<Rgb(SourcePoint)> rule;
    };
    const Case cases[] = {
        {"lossless.avif", 45, 31, upright, colour},
        {"deep10.avif", 45, 31, upright,
         [](SourcePoint p) { return DeepRuleInEightBits(p.x, p.y, 10); }},
        {"deep12.avif", 45, 31, upright,
         [](SourcePoint p) { return DeepRuleInEightBits(p.x, p.y, 12); }},
        // A quarter turn anticlockwise: the master's right column becomes the top row.
        {"irot1.avif", 31, 45,
         [](int x, int y) {
             return SourcePoint{kWidth - 1 - y, x};
         },
         colour},
        // Mirrored top to bottom.
        {"imir0.avif", 45, 31,
         [](int x, int y) {
             return SourcePoint{x, kHeight - 1 - y};
         },
         colour},
        // Three quarter turns anticlockwise, then mirrored left to right: transposed.
        {"irot3_imir1.avif", 31, 45,
         [](int x, int y) {
             return SourcePoint{y, x};
         },
         colour},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        PictureHEIF picture;
        ASSERT_TRUE(DecodeBytes(picture, ReadFileBytes(DataFilePath("avif", test.name))))
            << picture.GetLastError();
        ExpectPictureFromTop(picture, test.width, test.height,
                             [&](int x, int y) { return test.rule(test.turn(x, y)); });
    }
}

// What the lossy encoder loses on these smooth masters (largest difference of a
// sample): heif-enc at quality 90 with 4:2:0 chroma stays within 7 levels; a stage
// showing another picture is dozens of levels off.
constexpr int kHeicLossBound = 8;

TEST(HeifDecoder, HeicPicturesStayCloseToTheirMastersAndTurnAsTheFileSays) {
    PictureHEIF colour;
    ASSERT_TRUE(DecodeBytes(colour, ReadFileBytes(DataFilePath("heif", "colour.heic"))));
    NetpbmPicture master;
    master.width = kWidth;
    master.height = kHeight;
    master.channels = 3;
    master.maximum = 255;
    NetpbmPicture other = master;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            for (const Rgb& c : {ColourRule(x, y)}) {
                master.samples.insert(master.samples.end(),
                                      {uint16_t(c.red), uint16_t(c.green), uint16_t(c.blue)});
            }
            const Rgb o = OtherRule(x, y);
            other.samples.insert(other.samples.end(),
                                 {uint16_t(o.red), uint16_t(o.green), uint16_t(o.blue)});
        }
    }
    EXPECT_EQ(CompareWithReference(colour, master, 8, kHeicLossBound), "");

    // The second picture of the file is the primary one, and it is the one decoded.
    PictureHEIF primary;
    ASSERT_TRUE(DecodeBytes(primary, ReadFileBytes(DataFilePath("heif", "second_primary.heic"))));
    EXPECT_EQ(CompareWithReference(primary, other, 8, kHeicLossBound), "");

    // The same coded picture, turned a quarter anticlockwise and then mirrored left to
    // right by the container: the master's bottom right corner comes to the top left.
    PictureHEIF turned;
    ASSERT_TRUE(DecodeBytes(turned, ReadFileBytes(DataFilePath("heif", "turned.heic"))));
    ExpectPictureFromTop(turned, kHeight, kWidth, [&](int x, int y) {
        return ColorFromTop(colour, kWidth - 1 - y, kHeight - 1 - x);
    });
}

// avifdec converts the same decoded AV1 samples to RGB with libavif's own arithmetic.
// The masters go in at 4:4:4 (avifenc's choice for PNG input), so no chroma is
// interpolated: the two conversions differ only in rounding, by at most 1 a sample.
TEST(HeifDecoder, AvifdecAgreesWithinItsRounding) {
    REQUIRE_PROGRAM("avifdec");
    REQUIRE_PROGRAM("convert");
    for (const char* name : {"colour.avif", "alpha.avif"}) {
        SCOPED_TRACE(name);
        ScratchFolder scratch;
        const std::string path = DataFilePath("avif", name);
        Picture picture;
        ASSERT_TRUE(picture.Load(path.c_str(), kFormatUnknown)) << picture.GetLastError();
        EXPECT_EQ(CompareWithReference(picture, DecodeWithAvifdec(path, scratch.Path()), 8, 1), "");
    }
}

TEST(HeifDecoder, TheBrandsDecideTheTypeWhicheverFamilyCodeWasAsked) {
    for (const uint32_t asked : {kFormatHeif, kFormatAvif}) {
        Picture heic;
        ASSERT_TRUE(DecodeBytes(heic, ReadFileBytes(DataFilePath("heif", "colour.heic")), asked));
        EXPECT_EQ(heic.GetType(), 9u);
        Picture avif;
        ASSERT_TRUE(DecodeBytes(avif, ReadFileBytes(DataFilePath("avif", "colour.avif")), asked));
        EXPECT_EQ(avif.GetType(), 10u);
    }
}

// A file type box: its size, "ftyp", the major brand, version 0, the compatible brands.
std::vector<uint8_t> FileTypeBox(const std::string& major, const std::string& compatible) {
    const std::string box = std::string(3, '\0') + static_cast<char>(16 + compatible.size()) +
                            "ftyp" + major + std::string(4, '\0') + compatible;
    return std::vector<uint8_t>(box.begin(), box.end());
}

TEST(HeifDecoder, DamagedOrForeignFilesAreRefusedWithTheirReason) {
    ExpectEachRefused<PictureHEIF>({
        {"a HEIC cut short", ReadFileBytes(DataFilePath("heif", "truncated.heic")),
         "Invalid input: Unexpected end of file: Extent in iloc box references data outside "
         "of file bounds (points to file position 461)"},
        {"an AVIF cut short", ReadFileBytes(DataFilePath("avif", "truncated.avif")),
         "Invalid input: Unexpected end of file: Extent in iloc box references data outside "
         "of file bounds (points to file position 282)"},
        {"a file type box alone", FileTypeBox("heic", "mif1heic"), "Invalid input: No 'meta' box"},
        {"an MP4 video", FileTypeBox("isom", "isomiso2mp41"), "Not a HEIF file"},
        {"a QuickTime movie", FileTypeBox("qt  ", "qt  "), "Not a HEIF file"},
        {"nothing", {}, "Not a HEIF file"},
    });
}

}  // namespace
