// The EXIF reader: resolution, unit and orientation from the first directory, in
// either byte order, and safe refusal of blocks whose offsets point anywhere.
#include "image/codecs/exif_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image_stream.h"

namespace {

// An APP1 body: "Exif\0\0", a little-endian TIFF header and one directory at
// offset 8 with the given 12-byte entries, then `extra` bytes.
std::vector<uint8_t> ExifBlock(const std::vector<std::vector<uint8_t>>& entries,
                               const std::vector<uint8_t>& extra = {}) {
    std::vector<uint8_t> block = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0};
    block.push_back(static_cast<uint8_t>(entries.size()));
    block.push_back(0);
    for (const auto& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
    }
    block.insert(block.end(), {0, 0, 0, 0});  // no further directory
    block.insert(block.end(), extra.begin(), extra.end());
    return block;
}

// Entry (tag, type, count 1, value or offset), all little-endian.
std::vector<uint8_t> Entry(uint16_t tag, uint16_t type, uint32_t value) {
    return {static_cast<uint8_t>(tag),
            static_cast<uint8_t>(tag >> 8),
            static_cast<uint8_t>(type),
            static_cast<uint8_t>(type >> 8),
            1,
            0,
            0,
            0,
            static_cast<uint8_t>(value),
            static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

// Rationals follow a directory of n entries at TIFF offset 8 + 2 + 12n + 4.
constexpr uint32_t RationalOffset(uint32_t entries) {
    return 14 + 12 * entries;
}

TEST(ExifReader, ReadsResolutionAndUnitFromTheFirstDirectory) {
    const uint32_t base = RationalOffset(3);
    const auto block =
        ExifBlock({Entry(0x011A, 5, base), Entry(0x011B, 5, base + 8), Entry(0x0128, 3, 3)},
                  {72, 0, 0, 0, 1, 0, 0, 0, 150, 0, 0, 0, 2, 0, 0, 0});
    ExifReader reader;
    ASSERT_TRUE(reader.ParseApp1(block.data(), block.size()));
    EXPECT_DOUBLE_EQ(reader.GetXResolution(), 72.0);
    EXPECT_DOUBLE_EQ(reader.GetYResolution(), 75.0);
    EXPECT_DOUBLE_EQ(reader.GetResolutionUnit(), 1.0 / 2.54);  // centimetres
}

TEST(ExifReader, FindsTheBlockInJpegFilesOfEitherByteOrder) {
    const std::string dir = std::string(REELWRIGHT_TEST_DATA_DIR) + "/jpeg/";
    struct Case {
        const char* file;
        bool present;
        double x, y, unit;
    };
    const Case cases[] = {
        {"exif_inch.jpg", true, 300, 200, 1.0},  // big-endian; thumbnail says 1 dpi
        {"exif_cm.jpg", true, 118, 59, 1.0 / 2.54},
        {"colour.jpg", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        StdioImageStream stream((dir + c.file).c_str(), "rb");
        ASSERT_TRUE(stream.IsOpen());
        ExifReader reader;
        EXPECT_EQ(reader.ReadFromJpeg(stream), c.present);
        EXPECT_DOUBLE_EQ(reader.GetXResolution(), c.x);
        EXPECT_DOUBLE_EQ(reader.GetYResolution(), c.y);
        EXPECT_DOUBLE_EQ(reader.GetResolutionUnit(), c.unit);
    }
}

TEST(ExifReader, ReadsTheOrientationOfEitherByteOrderAndOnlyAsOneShortFrom1To8) {
    // The fixtures: odd orientations big-endian, even ones little-endian, each after
    // an entry whose value lies outside the directory.
    const std::string dir = std::string(REELWRIGHT_TEST_DATA_DIR) + "/jpeg/";
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::string path = dir + "orientation_" + std::to_string(orientation) + ".jpg";
        StdioImageStream stream(path.c_str(), "rb");
        ASSERT_TRUE(stream.IsOpen());
        ExifReader reader;
        ASSERT_TRUE(reader.ReadFromJpeg(stream));
        EXPECT_EQ(reader.GetOrientation(), orientation);
    }
    struct Case {
        std::vector<uint8_t> entry;
        int orientation;
    };
    std::vector<uint8_t> noValues = Entry(0x0112, 3, 6);
    noValues[4] = 0;  // count 0
    const Case cases[] = {
        {Entry(0x0112, 3, 6), 6},
        {Entry(0x0112, 3, 8), 8},
        {Entry(0x0112, 3, 0), 1},  // out of range: as stored
        {Entry(0x0112, 3, 9), 1},
        {Entry(0x0112, 3, 0xFFFF), 1},
        {Entry(0x0112, 4, 6), 1},  // a long is not the tag's type
        {noValues, 1},
    };
    ExifReader reader;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        const auto block = ExifBlock({Entry(0x011A, 5, 0xFFFFFFF0u), c.entry});
        ASSERT_TRUE(reader.ParseApp1(block.data(), block.size()));
        EXPECT_EQ(reader.GetOrientation(), c.orientation);
    }
    // A block without the tag, and none at all, are as stored.
    const auto none = ExifBlock({Entry(0x0128, 3, 2)});
    ASSERT_TRUE(reader.ParseApp1(none.data(), none.size()));
    EXPECT_EQ(reader.GetOrientation(), 1);
    EXPECT_FALSE(reader.ParseApp1(none.data(), 9));
    EXPECT_EQ(reader.GetOrientation(), 1);
}

TEST(ExifReader, SkipsOtherApp1SegmentsBeforeTheExifOne) {
    const uint32_t base = RationalOffset(1);
    const auto exif = ExifBlock({Entry(0x011A, 5, base)}, {96, 0, 0, 0, 1, 0, 0, 0});
    std::vector<uint8_t> file = {0xFF, 0xD8, 0xFF, 0xE1, 0,
                                 7,    'h',  't',  't',  'p',
                                 ':',  0xFF, 0xE1, 0,    static_cast<uint8_t>(exif.size() + 2)};
    file.insert(file.end(), exif.begin(), exif.end());
    file.insert(file.end(), {0xFF, 0xDA, 0, 2});
    MemoryImageStream stream(file.data(), file.size());
    ExifReader reader;
    ASSERT_TRUE(reader.ReadFromJpeg(stream));
    EXPECT_DOUBLE_EQ(reader.GetXResolution(), 96.0);
    EXPECT_DOUBLE_EQ(reader.GetResolutionUnit(), 1.0);  // absent: inches
}

TEST(ExifReader, HostileOffsetsAndCountsReadNothingOutside) {
    ExifReader reader;
    // Too short to hold a TIFF header, wrong byte-order mark, wrong magic number.
    const uint8_t shortBlock[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42};
    EXPECT_FALSE(reader.ParseApp1(shortBlock, sizeof shortBlock));
    const uint8_t badOrder[] = {'E', 'x', 'i', 'f', 0, 0, 'X', 'X', 42, 0, 8, 0, 0, 0};
    EXPECT_FALSE(reader.ParseApp1(badOrder, sizeof badOrder));
    const uint8_t badMagic[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 43, 0, 8, 0, 0, 0};
    EXPECT_FALSE(reader.ParseApp1(badMagic, sizeof badMagic));

    // Directory offset far past the block: present, but nothing read.
    const uint8_t farDirectory[] = {'E', 'x', 'i', 'f',  0,    0,    'I',
                                    'I', 42,  0,   0xF0, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(reader.ParseApp1(farDirectory, sizeof farDirectory));
    EXPECT_DOUBLE_EQ(reader.GetXResolution(), 0.0);

    // 255 entries claimed, one present: the loop stops at the block's end.
    auto manyEntries = ExifBlock({Entry(0x0128, 3, 2)});
    manyEntries[14] = 255;
    EXPECT_TRUE(reader.ParseApp1(manyEntries.data(), manyEntries.size()));

    // Rational offset out of range, and a zero denominator.
    const auto outside = ExifBlock({Entry(0x011A, 5, 0xFFFFFFF0u)});
    EXPECT_TRUE(reader.ParseApp1(outside.data(), outside.size()));
    EXPECT_DOUBLE_EQ(reader.GetXResolution(), 0.0);
    const auto zero = ExifBlock({Entry(0x011A, 5, RationalOffset(1))}, {72, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(reader.ParseApp1(zero.data(), zero.size()));
    EXPECT_DOUBLE_EQ(reader.GetXResolution(), 0.0);

    // Unknown unit: no usable resolution.
    const auto unknownUnit = ExifBlock({Entry(0x0128, 3, 9)});
    EXPECT_TRUE(reader.ParseApp1(unknownUnit.data(), unknownUnit.size()));
    EXPECT_DOUBLE_EQ(reader.GetResolutionUnit(), 0.0);

    // A segment length below 2 ends the scan.
    const uint8_t badLength[] = {0xFF, 0xD8, 0xFF, 0xE1, 0, 1, 0, 0};
    MemoryImageStream stream(badLength, sizeof badLength);
    EXPECT_FALSE(reader.ReadFromJpeg(stream));
}

}  // namespace
