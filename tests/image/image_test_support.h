// Helpers the picture decoder tests share: fixture paths and bytes, decoding bytes
// held in memory, and reading pixels with rows counted from the top, the way the
// fixture generators draw them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/picture.h"
#include "support/file_bytes.h"

namespace image_test {

// A colour as the generators write it: red, green, blue.
struct Rgb {
    int red, green, blue;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

using test_support::DataFilePath;

// The whole file; a file that cannot be opened fails the test and reads as empty.
inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    EXPECT_TRUE(std::ifstream(path).is_open()) << "cannot open " << path;
    return test_support::ReadFileBytes(path);
}

// Decodes bytes held in memory: a Picture takes the format code as well, a
// single-format decoder takes none.
template <typename Decoder, typename... FormatCode>
bool DecodeBytes(Decoder& picture, const std::vector<uint8_t>& bytes, FormatCode... type) {
    MemoryImageStream stream(bytes.data(), bytes.size());
    return picture.Decode(&stream, type...);
}

// Colour, palette index and alpha of pixel (x, y), y counted from the top row.
inline Rgb ColorFromTop(const Picture& picture, uint32_t x, uint32_t y) {
    const RgbQuad c = picture.GetPixelColor(x, picture.GetHeight() - 1 - y, false);
    return Rgb{c.red, c.green, c.blue};
}
inline uint8_t IndexFromTop(const Picture& picture, uint32_t x, uint32_t y) {
    return picture.GetPixelIndex(x, picture.GetHeight() - 1 - y);
}
inline uint8_t AlphaFromTop(const Picture& picture, uint32_t x, uint32_t y) {
    const size_t row = picture.GetHeight() - 1 - y;
    return picture.GetAlphaPlane()[row * picture.GetWidth() + x];
}

// The pixels whose colour differs from rule(x, y), y counted from the top, counted so
// that a failure reports once.
template <typename Rule>
int CountMismatches(const Picture& picture, Rule rule) {
    int mismatches = 0;
    for (uint32_t y = 0; y < picture.GetHeight(); ++y) {
        for (uint32_t x = 0; x < picture.GetWidth(); ++x) {
            mismatches += !(ColorFromTop(picture, x, y) == rule(x, y));
        }
    }
    return mismatches;
}

// A picture of width x height whose every pixel is rule(x, y), y counted from the
// top; the first pixel that is not is named.
template <typename Rule>
void ExpectPictureFromTop(const Picture& picture, uint32_t width, uint32_t height, Rule rule) {
    ASSERT_TRUE(picture.IsValid());
    ASSERT_EQ(picture.GetWidth(), width);
    ASSERT_EQ(picture.GetHeight(), height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            ASSERT_EQ(ColorFromTop(picture, x, y), rule(x, y)) << "at " << x << ", " << y;
        }
    }
}

// Two rules both tests/data/bmp/make_fixtures.py and tests/data/tga/make_fixtures.py
// draw their 13 x 7 pictures by (y counted from the top): a colour per pixel, and the
// colour of palette entry k.
inline Rgb FixtureTrueColour(int x, int y) {
    return {20 * x + 5, 36 * y + 3, (17 * x + 29 * y) % 256};
}
inline Rgb FixturePaletteColour(int k) {
    return {(37 * k) % 256, 255 - 5 * k, (50 * k) % 256};
}

}  // namespace image_test

#define EXPECT_RGB(actual, r, g, b)           \
    do {                                      \
        const image_test::Rgb got = (actual); \
        EXPECT_EQ(got.red, (r));              \
        EXPECT_EQ(got.green, (g));            \
        EXPECT_EQ(got.blue, (b));             \
    } while (0)
