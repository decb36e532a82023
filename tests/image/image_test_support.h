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

}  // namespace image_test

#define EXPECT_RGB(actual, r, g, b)           \
    do {                                      \
        const image_test::Rgb got = (actual); \
        EXPECT_EQ(got.red, (r));              \
        EXPECT_EQ(got.green, (g));            \
        EXPECT_EQ(got.blue, (b));             \
    } while (0)
