// Saving as JPEG (type 3): the markers of the written file, refusals and write
// failures, and the pictures read back by the outside libjpeg tools (djpeg, cjpeg).
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

using test_support::RunProgramToFile;
using test_support::ScratchFolder;

using namespace image_test;

// The standard tables of the JPEG standard (Annex K), in natural (row by row) order.
constexpr std::array<int, 64> kLuminanceTable = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kChrominanceTable = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// Natural position of the k-th coefficient in the zig-zag order the file stores.
constexpr std::array<int, 64> kZigZag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The IJG quality scaling: below 50 the scale is 5000 / q percent, else 200 - 2q;
// every entry is (base x scale + 50) / 100, at least 1. The table is in file order.
std::vector<uint8_t> ScaledTable(const std::array<int, 64>& base, int quality) {
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    std::vector<uint8_t> table;
    for (int k = 0; k < 64; ++k) {
        const int value = (base[kZigZag[k]] * scale + 50) / 100;
        table.push_back(static_cast<uint8_t>(value < 1 ? 1 : value));
    }
    return table;
}

// The segments of a JPEG file up to its first scan. (The Huffman tables are checked
// by the byte-for-byte comparison with cjpeg below.)
struct JpegMarkers {
    bool startsWithSoi = false;
    bool endsWithEoi = false;
    std::vector<uint8_t> frameMarkers;                // the SOFn seen, as their second byte
    std::vector<uint8_t> app0;                        // payload of the first APP0
    std::vector<uint8_t> frame;                       // payload of the SOF
    std::map<int, std::vector<uint8_t>> quantTables;  // id -> 64 bytes, file order
};

JpegMarkers ParseMarkers(const std::vector<uint8_t>& file) {
    JpegMarkers markers;
    markers.startsWithSoi = file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8;
    markers.endsWithEoi =
        file.size() >= 2 && file[file.size() - 2] == 0xFF && file[file.size() - 1] == 0xD9;
    size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        const uint8_t marker = file[at + 1];
        const size_t length = size_t{file[at + 2]} << 8 | file[at + 3];
        if (length < 2 || at + 2 + length > file.size()) {
            break;
        }
        const std::vector<uint8_t> payload(file.begin() + at + 4, file.begin() + at + 2 + length);
        if (marker == 0xE0 && markers.app0.empty()) {
            markers.app0 = payload;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            markers.frameMarkers.push_back(marker);
            markers.frame = payload;
        }
        if (marker == 0xDB) {
            for (size_t k = 0; k + 65 <= payload.size(); k += 65) {
                markers.quantTables[payload[k] & 0x0F] =
                    std::vector<uint8_t>(payload.begin() + k + 1, payload.begin() + k + 65);
            }
        }
        if (marker == 0xDA) {
            break;
        }
        at += 2 + length;
    }
    return markers;
}

// Blue grows to the right, green towards the top, red along the diagonal: smooth, so
// the JPEG stays close, and lopsided, so a picture turned over would show.
uint8_t GradientByte(uint32_t x, uint32_t y, uint32_t channel, uint32_t width, uint32_t height) {
    const uint32_t top = height - 1 - y;  // rows counted from the top
    switch (channel) {
        case 0:
            return static_cast<uint8_t>(x * 255 / (width - 1));
        case 1:
            return static_cast<uint8_t>(255 - top * 255 / (height - 1));
        default:
            return static_cast<uint8_t>((x + top) * 255 / (width + height - 2));
    }
}

void MakeGradient(Picture& picture, uint32_t width, uint32_t height) {
    ASSERT_NE(picture.Create(width, height, 24, 0), nullptr);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t c = 0; c < 3; ++c) {
                picture.GetBits(y)[3 * x + c] = GradientByte(x, y, c, width, height);
            }
        }
    }
}

// Smooth, without wrap-around for pictures up to 96 x 64.
uint8_t GreyLevel(uint32_t x, uint32_t y) {
    return static_cast<uint8_t>(x * 2 + y);
}

void MakeGrey(Picture& picture, uint32_t width, uint32_t height) {
    ASSERT_NE(picture.Create(width, height, 8, 0), nullptr);
    picture.MakeGreyPalette();
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            picture.GetBits(y)[x] = GreyLevel(x, y);
        }
    }
}

// Noise compresses badly, so the file spans several 4096-byte buffers.
void MakeNoise(Picture& picture, uint32_t width, uint32_t height) {
    ASSERT_NE(picture.Create(width, height, 24, 0), nullptr);
    uint32_t state = 12345;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t k = 0; k < 3 * width; ++k) {
            state = state * 1103515245u + 12345u;
            picture.GetBits(y)[k] = static_cast<uint8_t>(state >> 16);
        }
    }
}

std::vector<uint8_t> EncodeToMemory(Picture& picture) {
    MemoryImageStream stream;
    EXPECT_TRUE(picture.Encode(&stream, 3)) << picture.GetLastError();
    return stream.GetWritten();
}

// A stream that takes a set number of bytes and then refuses, records the size of
// every Write, and can report an error when asked.
class LimitedStream final : public ImageStream {
  public:
    explicit LimitedStream(size_t capacity, bool reportError = false)
        : capacity_(capacity), reportError_(reportError) {}
    std::vector<size_t> writes;

    bool Close() override { return true; }
    size_t Read(void*, size_t, size_t) override { return 0; }
    size_t Write(const void*, size_t size, size_t count) override {
        writes.push_back(size * count);
        const size_t room = capacity_ - taken_;
        const size_t items = size == 0 ? 0 : std::min(count, room / size);
        taken_ += items * size;
        return items;
    }
    bool Seek(int64_t, int) override { return false; }
    int64_t Tell() override { return static_cast<int64_t>(taken_); }
    int64_t Size() override { return static_cast<int64_t>(taken_); }
    bool Flush() override { return true; }
    bool Eof() override { return false; }
    bool Error() override { return reportError_; }
    bool PutC(uint8_t) override { return false; }
    int GetC() override { return EOF; }
    char* GetS(char*, int) override { return nullptr; }
    bool Scanf(int32_t*) override { return false; }

  private:
    size_t capacity_;
    size_t taken_ = 0;
    bool reportError_;
};

// Parses a binary PPM (P6) or PGM (P5) with maximum value 255.
struct Netpbm {
    uint32_t width = 0, height = 0, channels = 0;
    std::vector<uint8_t> pixels;  // top row first
};

Netpbm ReadNetpbm(const std::string& path) {
    Netpbm image;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return image;
    }
    char magic[3] = {};
    unsigned width = 0, height = 0, maximum = 0;
    if (std::fscanf(file, "%2s %u %u %u", magic, &width, &height, &maximum) == 4 &&
        maximum == 255 && std::fgetc(file) != EOF) {
        image.channels = std::string(magic) == "P6" ? 3 : 1;
        image.width = width;
        image.height = height;
        image.pixels.resize(size_t{width} * height * image.channels);
        if (std::fread(image.pixels.data(), 1, image.pixels.size(), file) != image.pixels.size()) {
            image.pixels.clear();
        }
    }
    std::fclose(file);
    return image;
}

}  // namespace

TEST(JpegEncoder, ColourPictureIsBaselineWithTwoByTwoLumaAndOneByOneChroma) {
    Picture picture;
    MakeGradient(picture, 280, 210);
    picture.SetJpegQuality(80);
    const JpegMarkers markers = ParseMarkers(EncodeToMemory(picture));
    EXPECT_TRUE(markers.startsWithSoi);
    EXPECT_TRUE(markers.endsWithEoi);
    EXPECT_EQ(markers.frameMarkers, std::vector<uint8_t>{0xC0});
    // precision 8, height 210, width 280, three components: id, sampling, table.
    EXPECT_EQ(markers.frame, (std::vector<uint8_t>{0x08, 0x00, 0xD2, 0x01, 0x18, 0x03, 0x01, 0x22,
                                                   0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01}));
}

TEST(JpegEncoder, QuantisationTablesAreTheStandardTablesScaledForTheQuality) {
    Picture picture;
    MakeGradient(picture, 64, 48);
    picture.SetJpegQuality(80);
    JpegMarkers markers = ParseMarkers(EncodeToMemory(picture));
    ASSERT_EQ(markers.quantTables.size(), 2u);
    EXPECT_EQ(markers.quantTables[0], ScaledTable(kLuminanceTable, 80));
    EXPECT_EQ(markers.quantTables[1], ScaledTable(kChrominanceTable, 80));
    // Spot checks of the scaling itself: 16 x 40% = 6.4 -> 6, 99 x 40% = 39.6 -> 40.
    EXPECT_EQ(markers.quantTables[0][0], 6);
    EXPECT_EQ(markers.quantTables[1][63], 40);

    // The quality is read rounded from the picture: 90 unless set.
    Picture fresh;
    MakeGradient(fresh, 16, 16);
    markers = ParseMarkers(EncodeToMemory(fresh));
    EXPECT_EQ(markers.quantTables[0], ScaledTable(kLuminanceTable, 90));
}

TEST(JpegEncoder, JfifDensityIsThePicturesResolutionInDotsPerInch) {
    Picture picture;
    MakeGradient(picture, 32, 32);
    JpegMarkers markers = ParseMarkers(EncodeToMemory(picture));
    EXPECT_EQ(markers.app0,
              (std::vector<uint8_t>{'J', 'F', 'I', 'F', 0, 1, 1, 1, 0x00, 0x60, 0x00, 0x60, 0, 0}));
    picture.SetXDpi(300);
    picture.SetYDpi(72);
    markers = ParseMarkers(EncodeToMemory(picture));
    EXPECT_EQ(markers.app0,
              (std::vector<uint8_t>{'J', 'F', 'I', 'F', 0, 1, 1, 1, 0x01, 0x2C, 0x00, 0x48, 0, 0}));
    // The fields are 16 bits wide: a larger resolution is held at the largest.
    picture.SetXDpi(70000);
    markers = ParseMarkers(EncodeToMemory(picture));
    ASSERT_GE(markers.app0.size(), 12u);
    EXPECT_EQ(markers.app0[8], 0xFF);
    EXPECT_EQ(markers.app0[9], 0xFF);
}

TEST(JpegEncoder, GreyPictureIsOneComponentMarkedTwoByTwo) {
    Picture picture;
    MakeGrey(picture, 100, 60);
    picture.SetJpegQuality(80);
    JpegMarkers markers = ParseMarkers(EncodeToMemory(picture));
    EXPECT_EQ(markers.frameMarkers, std::vector<uint8_t>{0xC0});
    EXPECT_EQ(markers.frame,
              (std::vector<uint8_t>{0x08, 0x00, 0x3C, 0x00, 0x64, 0x01, 0x01, 0x22, 0x00}));
    ASSERT_EQ(markers.quantTables.size(), 1u);
    EXPECT_EQ(markers.quantTables[0], ScaledTable(kLuminanceTable, 80));
}

TEST(JpegEncoder, RefusesWhatItCannotWrite) {
    Picture picture;
    MemoryImageStream stream;
    EXPECT_FALSE(picture.Encode(&stream, 3));
    EXPECT_STREQ(picture.GetLastError(), "null image!!!");

    MakeGradient(picture, 8, 8);
    EXPECT_FALSE(picture.Encode(nullptr, 3));
    EXPECT_STREQ(picture.GetLastError(), "null file handler");

    Picture colours;
    ASSERT_NE(colours.Create(8, 8, 8, 0), nullptr);
    colours.MakeGreyPalette();
    colours.SetPaletteColor(5, RgbQuad{0, 0, 255, 0});
    EXPECT_FALSE(colours.Encode(&stream, 3));
    EXPECT_STREQ(colours.GetLastError(), "JPEG can save only RGB or GreyScale images");
    EXPECT_TRUE(stream.GetWritten().empty());

    // Too wide for JPEG: libjpeg's own message comes through.
    Picture wide;
    ASSERT_NE(wide.Create(70000, 1, 24, 0), nullptr);
    EXPECT_FALSE(wide.Encode(&stream, 3));
    EXPECT_STREQ(wide.GetLastError(), "Maximum supported image dimension is 65500 pixels");
}

TEST(JpegEncoder, FullBuffersLeaveInOneWriteOf4096Bytes) {
    Picture picture;
    MakeNoise(picture, 200, 200);
    LimitedStream stream(SIZE_MAX);
    ASSERT_TRUE(picture.Encode(&stream, 3)) << picture.GetLastError();
    ASSERT_GE(stream.writes.size(), 3u);
    for (size_t k = 0; k + 1 < stream.writes.size(); ++k) {
        EXPECT_EQ(stream.writes[k], 4096u);
    }
    EXPECT_GT(stream.writes.back(), 0u);
    EXPECT_LE(stream.writes.back(), 4096u);
}

TEST(JpegEncoder, WriteFailureGivesFalseWithLibjpegsMessage) {
    const char* message = "Output file write error --- out of disk space?";
    // Refused at the very end (the whole small file fits one buffer), after a few full
    // buffers, and by a stream that reports an error after taking everything.
    Picture small;
    MakeGradient(small, 16, 16);
    LimitedStream refusing(0);
    EXPECT_FALSE(small.Encode(&refusing, 3));
    EXPECT_STREQ(small.GetLastError(), message);

    Picture noise;
    MakeNoise(noise, 200, 200);
    LimitedStream full(3 * 4096 + 100);
    EXPECT_FALSE(noise.Encode(&full, 3));
    EXPECT_STREQ(noise.GetLastError(), message);
    EXPECT_EQ(full.writes.size(), 4u);

    Picture other;
    MakeGradient(other, 16, 16);
    LimitedStream failing(SIZE_MAX, true);
    EXPECT_FALSE(other.Encode(&failing, 3));
    EXPECT_STREQ(other.GetLastError(), message);
}

TEST(JpegEncoder, DjpegReadsBackAPictureCloseToTheSource) {
    REQUIRE_PROGRAM("djpeg");
    const ScratchFolder scratch;
    const uint32_t width = 280, height = 210;
    Picture picture;
    MakeGradient(picture, width, height);
    picture.SetJpegQuality(80);
    const std::string jpeg = scratch.File("colour.jpg");
    const std::string ppm = scratch.File("colour.ppm");
    ASSERT_TRUE(picture.Save(jpeg.c_str(), 3)) << picture.GetLastError();
    ASSERT_EQ(RunProgramToFile({"djpeg", "-pnm", "-outfile", ppm, jpeg}), 0);
    const Netpbm decoded = ReadNetpbm(ppm);
    ASSERT_EQ(decoded.channels, 3u);
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    ASSERT_FALSE(decoded.pixels.empty());

    // PPM rows run top first, red green blue; our rows bottom first, blue green red.
    int64_t totalError = 0;
    int worst = 0;
    for (uint32_t top = 0; top < height; ++top) {
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t c = 0; c < 3; ++c) {
                const int got = decoded.pixels[(size_t{top} * width + x) * 3 + (2 - c)];
                const int want = GradientByte(x, height - 1 - top, c, width, height);
                totalError += std::abs(got - want);
                worst = std::max(worst, std::abs(got - want));
            }
        }
    }
    EXPECT_LT(static_cast<double>(totalError) / (width * height * 3), 1.5);
    EXPECT_LE(worst, 12);
}

TEST(JpegEncoder, GreyAndPackedGreyPicturesDecodeToTheirLevels) {
    REQUIRE_PROGRAM("djpeg");
    const ScratchFolder scratch;
    // An 8-bit grey ramp, and a 4-bit picture whose identity palette holds levels 0-15.
    Picture grey;
    MakeGrey(grey, 96, 64);
    Picture packed;
    ASSERT_NE(packed.Create(37, 20, 4, 0), nullptr);
    for (uint8_t i = 0; i < 16; ++i) {
        packed.SetPaletteColor(i, RgbQuad{i, i, i, 0});
    }
    ASSERT_TRUE(packed.IsGrayScale());
    for (uint32_t y = 0; y < 20; ++y) {
        for (uint32_t x = 0; x < 37; ++x) {
            packed.SetPixelIndex(x, y, (x / 8) * 4 % 16);
        }
    }
    struct Case {
        Picture* picture;
        const char* name;
        int tolerance;
    };
    for (const Case& test : {Case{&grey, "grey", 6}, Case{&packed, "packed", 3}}) {
        SCOPED_TRACE(test.name);
        Picture& picture = *test.picture;
        picture.SetJpegQuality(80);
        const std::string jpeg = scratch.File(std::string(test.name) + ".jpg");
        const std::string pgm = scratch.File(std::string(test.name) + ".pgm");
        ASSERT_TRUE(picture.Save(jpeg.c_str(), 3)) << picture.GetLastError();
        ASSERT_EQ(RunProgramToFile({"djpeg", "-pnm", "-outfile", pgm, jpeg}), 0);
        const Netpbm decoded = ReadNetpbm(pgm);
        ASSERT_EQ(decoded.channels, 1u);
        ASSERT_EQ(decoded.width, picture.GetWidth());
        ASSERT_EQ(decoded.height, picture.GetHeight());
        ASSERT_FALSE(decoded.pixels.empty());
        int worst = 0;
        for (uint32_t top = 0; top < decoded.height; ++top) {
            for (uint32_t x = 0; x < decoded.width; ++x) {
                const int got = decoded.pixels[size_t{top} * decoded.width + x];
                const int want = picture.GetPixelIndex(x, decoded.height - 1 - top);
                worst = std::max(worst, std::abs(got - want));
            }
        }
        EXPECT_LE(worst, test.tolerance);
    }
}

TEST(JpegEncoder, BytesMatchCjpegWithTheSameSettingsApartFromTheDensity) {
    REQUIRE_PROGRAM("cjpeg");
    const ScratchFolder scratch;
    // cjpeg, given the same quality and sampling, writes an aspect-ratio density
    // (unit 0, 1 x 1); everything else must be the same byte for byte.
    const uint32_t width = 123, height = 77;
    Picture picture;
    MakeGradient(picture, width, height);
    picture.SetJpegQuality(80);
    const std::string ppm = scratch.File("source.ppm");
    const std::string reference = scratch.File("reference.jpg");
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << width << " " << height << "\n255\n";
        for (uint32_t top = 0; top < height; ++top) {
            for (uint32_t x = 0; x < width; ++x) {
                for (uint32_t c : {2u, 1u, 0u}) {
                    out.put(static_cast<char>(GradientByte(x, height - 1 - top, c, width, height)));
                }
            }
        }
    }
    ASSERT_EQ(RunProgramToFile({"cjpeg", "-quality", "80", "-sample", "2x2,1x1,1x1", "-outfile",
                                reference, ppm}),
              0);
    std::vector<uint8_t> expected = ReadFileBytes(reference);
    std::vector<uint8_t> ours = EncodeToMemory(picture);
    ASSERT_GT(expected.size(), 20u);
    ASSERT_EQ(ours.size(), expected.size());
    // Offsets 13 to 17: density unit, horizontal and vertical density.
    EXPECT_EQ(std::vector<uint8_t>(ours.begin() + 13, ours.begin() + 18),
              (std::vector<uint8_t>{1, 0, 96, 0, 96}));
    EXPECT_EQ(std::vector<uint8_t>(expected.begin() + 13, expected.begin() + 18),
              (std::vector<uint8_t>{0, 0, 1, 0, 1}));
    std::copy(expected.begin() + 13, expected.begin() + 18, ours.begin() + 13);
    EXPECT_TRUE(ours == expected);
}
