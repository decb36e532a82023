// GIF decoding: fixtures drawn by tests/data/gif/make_fixtures.py and written by
// ImageMagick, plus hand-built code streams that a hostile file could hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image/codecs/picture_gif.h"
#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

std::string FixturePath(const char* name) {
    return DataFilePath("gif", name);
}

std::vector<uint8_t> ReadFixture(const char* name) {
    return ReadFileBytes(FixturePath(name));
}

// The generator's rules (make_fixtures.py).
Rgb Stripe(uint32_t x, uint32_t y) {
    static const Rgb kStripes[6] = {{255, 0, 0},   {0, 128, 0},   {0, 0, 255},
                                    {255, 255, 0}, {0, 255, 255}, {128, 0, 128}};
    return kStripes[(x / 4 + y / 3) % 6];
}
Rgb Noise(uint32_t x, uint32_t y) {
    const int i = static_cast<int>((x * 73 + y * 151 + ((x * y) % 7) * 37) % 256);
    return Rgb{i, (i * 37) % 256, (i * 101) % 256};
}

TEST(GifDecoder, StripesLoadByContentAsFourBitPalettePicture) {
    Picture picture;
    ASSERT_TRUE(picture.Load(FixturePath("stripes.gif").c_str(), kFormatUnknown))
        << picture.GetLastError();
    EXPECT_EQ(picture.GetType(), 2u);
    EXPECT_EQ(picture.GetWidth(), 37u);
    EXPECT_EQ(picture.GetHeight(), 23u);
    EXPECT_EQ(picture.GetBpp(), 4);  // an 8-entry colour table
    EXPECT_EQ(picture.GetFrameCount(), 1);
    EXPECT_EQ(picture.GetTransparentIndex(), -1);
    EXPECT_RGB(ColorFromTop(picture, 0, 0), 255, 0, 0);
    EXPECT_RGB(ColorFromTop(picture, 4, 0), 0, 128, 0);
    EXPECT_RGB(ColorFromTop(picture, 36, 22), 0, 255, 255);
    EXPECT_EQ(CountMismatches(picture, Stripe), 0);
}

TEST(GifDecoder, InterlacedRowsLandInImageOrder) {
    Picture picture;
    ASSERT_TRUE(picture.Load(FixturePath("stripes_interlaced.gif").c_str(), kFormatGif))
        << picture.GetLastError();
    EXPECT_EQ(picture.GetWidth(), 37u);
    EXPECT_EQ(picture.GetHeight(), 23u);
    EXPECT_RGB(ColorFromTop(picture, 0, 3), 0, 128, 0);
    EXPECT_EQ(CountMismatches(picture, Stripe), 0);
}

TEST(GifDecoder, TwoHundredFiftySixColoursSurviveTableResets) {
    Picture picture;
    ASSERT_TRUE(picture.Load(FixturePath("noise256.gif").c_str(), kFormatUnknown))
        << picture.GetLastError();
    EXPECT_EQ(picture.GetBpp(), 8);
    EXPECT_RGB(ColorFromTop(picture, 1, 0), 73, 141, 205);
    EXPECT_EQ(CountMismatches(picture, Noise), 0);
}

TEST(GifDecoder, TwoColourTableGivesOneBitPixels) {
    Picture picture;
    ASSERT_TRUE(picture.Load(FixturePath("checker.gif").c_str(), kFormatUnknown));
    EXPECT_EQ(picture.GetBpp(), 1);
    EXPECT_EQ(CountMismatches(picture,
                              [](uint32_t x, uint32_t y) {
                                  return (x + y) % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
                              }),
              0);
}

TEST(GifDecoder, GraphicControlExtensionSetsTheTransparentIndex) {
    Picture picture;
    ASSERT_TRUE(picture.Load(FixturePath("holes.gif").c_str(), kFormatUnknown));
    const int32_t transparent = picture.GetTransparentIndex();
    ASSERT_EQ(transparent, 5);  // as ImageMagick wrote it
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 12; ++x) {
            if ((x + y) % 5 == 0) {
                EXPECT_EQ(IndexFromTop(picture, x, y), transparent) << x << "," << y;
            } else {
                EXPECT_NE(IndexFromTop(picture, x, y), transparent) << x << "," << y;
                const Rgb want = Stripe(x, y);
                EXPECT_RGB(ColorFromTop(picture, x, y), want.red, want.green, want.blue);
            }
        }
    }
}

TEST(GifDecoder, FrameNumberChoosesTheImageAndAllAreCounted) {
    const std::string path = FixturePath("frames.gif");
    Picture first;
    ASSERT_TRUE(first.Load(path.c_str(), kFormatUnknown));
    EXPECT_EQ(first.GetFrameCount(), 3);
    EXPECT_EQ(CountMismatches(first, [](uint32_t, uint32_t) { return Rgb{255, 0, 0}; }), 0);

    Picture second;
    second.SetFrameNumber(1);
    ASSERT_TRUE(second.Load(path.c_str(), kFormatUnknown));
    EXPECT_EQ(second.GetFrameNumber(), 1);
    EXPECT_EQ(CountMismatches(second, Stripe), 0);

    // The third frame is 10 x 8 at (12, 6): the picture is the whole 30 x 20 screen
    // with the frame at its place and the background index around it.
    Picture third;
    third.SetFrameNumber(2);
    ASSERT_TRUE(third.Load(path.c_str(), kFormatGif));
    EXPECT_EQ(third.GetWidth(), 30u);
    EXPECT_EQ(third.GetHeight(), 20u);
    for (uint32_t y = 0; y < 20; ++y) {
        for (uint32_t x = 0; x < 30; ++x) {
            if (x >= 12 && x < 22 && y >= 6 && y < 14) {
                EXPECT_RGB(ColorFromTop(third, x, y), 0, 0, 255);
            } else {
                EXPECT_EQ(IndexFromTop(third, x, y), 0) << x << "," << y;
            }
        }
    }

    const std::vector<uint8_t> bytes = ReadFixture("frames.gif");
    MemoryImageStream stream(bytes.data(), bytes.size());
    Picture beyond;
    beyond.SetFrameNumber(3);
    EXPECT_FALSE(beyond.Decode(&stream, kFormatGif));
    EXPECT_STREQ(beyond.GetLastError(), "GIF frame number out of range");
    EXPECT_FALSE(beyond.IsValid());
}

// --- hand-built files --------------------------------------------------------------

// Packs codes least significant bit first, as GIF does, into data sub-blocks.
class CodeWriter {
  public:
    void Put(uint32_t code, int bits) {
        buffer_ |= code << count_;
        count_ += bits;
        while (count_ >= 8) {
            bytes_.push_back(static_cast<uint8_t>(buffer_));
            buffer_ >>= 8;
            count_ -= 8;
        }
    }
    std::vector<uint8_t> SubBlocks() {
        std::vector<uint8_t> data = bytes_;
        if (count_ > 0) {
            data.push_back(static_cast<uint8_t>(buffer_));
        }
        std::vector<uint8_t> out;
        for (size_t i = 0; i < data.size(); i += 255) {
            const size_t n = std::min<size_t>(255, data.size() - i);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), data.begin() + i, data.begin() + i + n);
        }
        out.push_back(0);
        return out;
    }

  private:
    uint32_t buffer_ = 0;
    int count_ = 0;
    std::vector<uint8_t> bytes_;
};

// A GIF89a of one width x 1 image with a 4-colour global table (black, red, green,
// blue) and the given minimum code size and image data.
std::vector<uint8_t> OneRowGif(uint16_t width, uint8_t minimumCodeSize,
                               const std::vector<uint8_t>& data, bool trailer = true) {
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    gif.insert(gif.end(),
               {static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8), 1, 0, 0xF1, 0, 0});
    gif.insert(gif.end(), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
    gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, static_cast<uint8_t>(width),
                           static_cast<uint8_t>(width >> 8), 1, 0, 0, minimumCodeSize});
    gif.insert(gif.end(), data.begin(), data.end());
    if (trailer) {
        gif.push_back(0x3B);
    }
    return gif;
}

bool DecodeBytes(Picture& picture, const std::vector<uint8_t>& bytes) {
    return image_test::DecodeBytes(picture, bytes, kFormatGif);
}

std::vector<int> RowIndexes(const Picture& picture) {
    std::vector<int> indexes;
    for (uint32_t x = 0; x < picture.GetWidth(); ++x) {
        indexes.push_back(IndexFromTop(picture, x, 0));
    }
    return indexes;
}

// Minimum code size 2: clear 4, end 5, first free code 6, codes 3 bits wide until the
// table holds 8 codes.
TEST(GifLzw, RepeatedStringCodeExpandsBeforeItIsDefined) {
    CodeWriter codes;
    for (uint32_t code : {4u, 1u, 6u, 5u}) {
        codes.Put(code, 3);  // 1, then "1 1"
    }
    Picture picture;
    ASSERT_TRUE(DecodeBytes(picture, OneRowGif(3, 2, codes.SubBlocks())));
    EXPECT_EQ(RowIndexes(picture), (std::vector<int>{1, 1, 1}));
}

TEST(GifLzw, DamagedCodesEndTheImageWithAPartialPicture) {
    // A code beyond the table after one good pixel.
    CodeWriter beyond;
    for (uint32_t code : {4u, 3u, 7u, 1u}) {
        beyond.Put(code, 3);
    }
    Picture partial;
    ASSERT_TRUE(DecodeBytes(partial, OneRowGif(4, 2, beyond.SubBlocks())));
    EXPECT_EQ(RowIndexes(partial), (std::vector<int>{3, 0, 0, 0}));

    // A string code straight after a clear: nothing decodable, background remains.
    CodeWriter noLiteral;
    for (uint32_t code : {4u, 6u, 2u}) {
        noLiteral.Put(code, 3);
    }
    Picture empty;
    ASSERT_TRUE(DecodeBytes(empty, OneRowGif(2, 2, noLiteral.SubBlocks())));
    EXPECT_EQ(RowIndexes(empty), (std::vector<int>{0, 0}));

    // The file ends inside the image data.
    CodeWriter cut;
    for (uint32_t code : {4u, 2u, 2u}) {
        cut.Put(code, 3);
    }
    std::vector<uint8_t> data = cut.SubBlocks();
    data.pop_back();  // no terminator
    Picture truncated;
    ASSERT_TRUE(DecodeBytes(truncated, OneRowGif(5, 2, data, false)));
    EXPECT_EQ(RowIndexes(truncated), (std::vector<int>{2, 2, 0, 0, 0}));
}

TEST(GifLzw, FullTableKeepsTwelveBitCodesUntilTheEnd) {
    // 6000 literal codes and no clear: the table fills after 4090 of them and later
    // codes stay 12 bits wide.
    const int kPixels = 6000;
    CodeWriter codes;
    int bits = 3;
    int next = 6;
    codes.Put(4, bits);
    for (int i = 0; i < kPixels; ++i) {
        codes.Put(static_cast<uint32_t>(i % 4), bits);
        if (i > 0 && next < 4096) {
            ++next;
            if (next == (1 << bits) && bits < 12) {
                ++bits;
            }
        }
    }
    codes.Put(5, bits);
    Picture picture;
    ASSERT_TRUE(DecodeBytes(picture, OneRowGif(kPixels, 2, codes.SubBlocks())));
    const std::vector<int> row = RowIndexes(picture);
    int mismatches = 0;
    for (int i = 0; i < kPixels; ++i) {
        mismatches += row[i] != i % 4;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(GifLzw, MinimumCodeSizeElevenStartsWithTwelveBitCodes) {
    // Clear 2048, end 2049; the codes never outgrow 12 bits.
    CodeWriter codes;
    for (uint32_t code : {2048u, 1u, 2u, 3u, 2050u, 2049u}) {
        codes.Put(code, 12);
    }
    Picture picture;
    ASSERT_TRUE(DecodeBytes(picture, OneRowGif(5, 11, codes.SubBlocks())));
    EXPECT_EQ(RowIndexes(picture), (std::vector<int>{1, 2, 3, 1, 2}));
}

TEST(GifDecoder, RefusesWhatIsNotAUsableGif) {
    Picture picture;
    picture.SetError(PictureError::kSystem, "earlier");
    const std::vector<uint8_t> notGif = {'G', 'I', 'F', '7', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
    EXPECT_FALSE(DecodeBytes(picture, notGif));
    EXPECT_STREQ(picture.GetLastError(), "earlier");  // a foreign signature says nothing

    const std::vector<uint8_t> noImage = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B};
    EXPECT_FALSE(DecodeBytes(picture, noImage));
    EXPECT_STREQ(picture.GetLastError(), "corrupted GIF");

    CodeWriter codes;
    codes.Put(0, 13);
    EXPECT_FALSE(DecodeBytes(picture, OneRowGif(2, 12, codes.SubBlocks())));
    EXPECT_STREQ(picture.GetLastError(), "corrupted GIF");

    // A 65535 x 65535 screen is refused before anything that size is allocated.
    std::vector<uint8_t> huge = OneRowGif(1, 2, {2, 0x4C, 0x01, 0});
    huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
    EXPECT_FALSE(DecodeBytes(picture, huge));
    EXPECT_STREQ(picture.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
    EXPECT_FALSE(picture.IsValid());
}

TEST(GifDecoder, DamagedFilesNeverReadOutOfBounds) {
    const std::vector<uint8_t> original = ReadFixture("noise256.gif");
    ASSERT_FALSE(original.empty());
    uint32_t seed = 12345;
    auto random = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = original;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        }
        if (round % 3 == 0) {
            bytes.resize(random() % bytes.size());
        }
        Picture picture;
        MemoryImageStream stream(bytes.data(), bytes.size());
        if (picture.Decode(&stream, kFormatGif)) {
            EXPECT_TRUE(picture.IsValid());
        }
    }
}

}  // namespace
