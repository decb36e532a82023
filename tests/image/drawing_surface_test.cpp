#include "image/drawing_surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "support/byte_builder.h"

namespace {

// A packed device-independent bitmap: 40-byte header, palette (blue, green, red, 0),
// then the stored rows exactly as given (bottom row first, already padded).
std::vector<uint8_t> MakeDib(int32_t width, int32_t height, uint16_t bpp,
                             const std::vector<uint8_t>& paletteBgr0,
                             const std::vector<uint8_t>& rows) {
    return test_support::LittleEndianBytes()
        .U32(40)
        .U32(static_cast<uint32_t>(width))
        .U32(static_cast<uint32_t>(height))
        .U16(1)
        .U16(bpp)
        .U32(0)
        .U32(static_cast<uint32_t>(rows.size()))
        .U32(3780)
        .U32(3780)
        .U32(static_cast<uint32_t>(paletteBgr0.size() / 4))
        .U32(0)
        .Bytes(paletteBgr0)
        .Bytes(rows)
        .Take();
}

// 24-bit 2 x 2: bottom row blue, green; top row red, white.
std::vector<uint8_t> TwoByTwo24() {
    return MakeDib(2, 2, 24, {},
                   {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0, 0,    // bottom row
                    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0});  // top row
}

constexpr SurfaceColor kBlack{0, 0, 0};
constexpr SurfaceColor kRed{255, 0, 0};
constexpr SurfaceColor kGreen{0, 255, 0};
constexpr SurfaceColor kBlue{0, 0, 255};
constexpr SurfaceColor kWhite{255, 255, 255};
constexpr SurfaceColor kGrey{9, 9, 9};

TEST(DrawingSurfaceTest, StoresRowsBottomUpPaddedToFourBytes) {
    DrawingSurface surface(5, 3);
    ASSERT_TRUE(surface.IsValid());
    EXPECT_EQ(surface.RowStride(), 16u);
    EXPECT_EQ(surface.GetClipBox(), (SurfaceRect{0, 0, 5, 3}));
    surface.SetPixel(1, 0, SurfaceColor{1, 2, 3});  // top row
    surface.SetPixel(4, 2, SurfaceColor{4, 5, 6});  // bottom row
    const uint8_t* pixels = surface.Pixels();
    EXPECT_EQ(pixels[2 * 16 + 3], 3);  // blue of (1, 0) in the last stored row
    EXPECT_EQ(pixels[2 * 16 + 5], 1);
    EXPECT_EQ(pixels[12], 6);
    EXPECT_EQ(pixels[14], 4);
    EXPECT_EQ(surface.GetPixel(1, 0), (SurfaceColor{1, 2, 3}));
    EXPECT_EQ(surface.GetPixel(4, 2), (SurfaceColor{4, 5, 6}));
    EXPECT_EQ(surface.GetPixel(0, 0), kBlack);
    EXPECT_EQ(surface.GetPixel(-1, 0), kBlack);
    EXPECT_EQ(surface.GetPixel(5, 0), kBlack);
}

TEST(DrawingSurfaceTest, RefusedSizesGiveAnEmptySurfaceThatPaintsNothing) {
    for (auto [w, h] : {std::pair{0, 4}, std::pair{4, -1}, std::pair{100000, 100000}}) {
        DrawingSurface surface(w, h);
        EXPECT_FALSE(surface.IsValid());
        EXPECT_EQ(surface.Width(), 0);
        EXPECT_EQ(surface.GetClipBox(), SurfaceRect{});
        EXPECT_EQ(surface.RowStride(), 0u);
        const std::vector<uint8_t> dib = TwoByTwo24();
        EXPECT_EQ(surface.CopyDib(0, 0, dib.data(), dib.size()), 2);
        surface.SetPixel(0, 0, kRed);
        SurfaceSection section;
        ASSERT_TRUE(section.Create(2, 2));
        surface.ReadBack(0, 0, section);
    }
}

TEST(DrawingSurfaceTest, ClipBoxNarrowsAndIsReplaced) {
    DrawingSurface surface(10, 8);
    surface.IntersectClipRect({7, 6, 2, 1});  // given backwards
    EXPECT_EQ(surface.GetClipBox(), (SurfaceRect{2, 1, 7, 6}));
    surface.IntersectClipRect({5, -3, 20, 4});
    EXPECT_EQ(surface.GetClipBox(), (SurfaceRect{5, 1, 7, 4}));
    surface.IntersectClipRect({0, 0, 3, 3});
    EXPECT_TRUE(surface.GetClipBox().IsEmpty());
    surface.SelectClipRect({-5, 2, 50, 50});
    EXPECT_EQ(surface.GetClipBox(), (SurfaceRect{0, 2, 10, 8}));
}

TEST(DrawingSurfaceTest, SaveAndRestoreFollowTheStack) {
    DrawingSurface surface(10, 10);
    EXPECT_EQ(surface.Save(), 1);
    surface.IntersectClipRect({1, 1, 9, 9});
    EXPECT_EQ(surface.Save(), 2);
    surface.IntersectClipRect({2, 2, 3, 3});
    EXPECT_EQ(surface.Save(), 3);
    surface.IntersectClipRect({2, 2, 2, 2});

    EXPECT_TRUE(surface.Restore(-1));
    EXPECT_EQ(surface.GetClipBox(), (SurfaceRect{2, 2, 3, 3}));
    EXPECT_TRUE(surface.Restore(1));  // drops state 2 with it
    EXPECT_EQ(surface.GetClipBox(), (SurfaceRect{0, 0, 10, 10}));
    EXPECT_FALSE(surface.Restore(2));
    EXPECT_FALSE(surface.Restore(-1));
    EXPECT_FALSE(surface.Restore(0));
    EXPECT_EQ(surface.Counters().saves, 3);
    EXPECT_EQ(surface.Counters().restores, 2);

    surface.SetSaveLimit(1);
    EXPECT_EQ(surface.Save(), 1);
    EXPECT_EQ(surface.Save(), 0);
}

TEST(DrawingSurfaceTest, CopiesWholeBitmapsOfEveryDepth) {
    DrawingSurface surface(6, 4);
    const std::vector<uint8_t> dib24 = TwoByTwo24();
    EXPECT_EQ(surface.CopyDib(1, 1, dib24.data(), dib24.size()), 2);
    EXPECT_EQ(surface.GetPixel(1, 1), kRed);
    EXPECT_EQ(surface.GetPixel(2, 1), kWhite);
    EXPECT_EQ(surface.GetPixel(1, 2), kBlue);
    EXPECT_EQ(surface.GetPixel(2, 2), kGreen);
    EXPECT_EQ(surface.GetPixel(0, 0), kBlack);
    EXPECT_EQ(surface.GetPixel(3, 1), kBlack);

    // 8 bits, 3 palette entries; index 7 lies past the palette and reads as black.
    const std::vector<uint8_t> palette{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
    const std::vector<uint8_t> dib8 = MakeDib(3, 1, 8, palette, {2, 1, 7, 0});
    surface.Fill(kGrey);
    EXPECT_EQ(surface.CopyDib(0, 3, dib8.data(), dib8.size()), 1);
    EXPECT_EQ(surface.GetPixel(0, 3), kBlue);
    EXPECT_EQ(surface.GetPixel(1, 3), kGreen);
    EXPECT_EQ(surface.GetPixel(2, 3), kBlack);
    EXPECT_EQ(surface.GetPixel(3, 3), kGrey);

    // 4 bits: left pixel in the high nibble.
    const std::vector<uint8_t> dib4 = MakeDib(3, 1, 4, palette, {0x12, 0x00, 0, 0});
    EXPECT_EQ(surface.CopyDib(3, 0, dib4.data(), dib4.size()), 1);
    EXPECT_EQ(surface.GetPixel(3, 0), kGreen);
    EXPECT_EQ(surface.GetPixel(4, 0), kBlue);
    EXPECT_EQ(surface.GetPixel(5, 0), kRed);

    // 1 bit: left pixel in the most significant bit; colours used 0 means 2.
    const std::vector<uint8_t> mono =
        MakeDib(6, 1, 1, {}, {0b10100000, 0, 0, 0});  // no palette entries given
    std::vector<uint8_t> dib1 =
        MakeDib(6, 1, 1, {0, 0, 0, 0, 255, 255, 255, 0}, {0b10100000, 0, 0, 0});
    dib1[32] = 0;  // colours used 0: the full two-entry palette still follows
    EXPECT_EQ(surface.CopyDib(0, 2, dib1.data(), dib1.size()), 1);
    EXPECT_EQ(surface.GetPixel(0, 2), kWhite);
    EXPECT_EQ(surface.GetPixel(1, 2), kBlack);
    EXPECT_EQ(surface.GetPixel(2, 2), kWhite);
    EXPECT_EQ(surface.GetPixel(5, 2), kBlack);
    EXPECT_EQ(surface.CopyDib(0, 0, mono.data(), mono.size()), 0);  // palette missing
    EXPECT_EQ(surface.Counters().dibCopies, 4);
}

TEST(DrawingSurfaceTest, CopyHonoursClipBoxAndSurfaceEdges) {
    DrawingSurface surface(3, 3);
    const std::vector<uint8_t> dib = TwoByTwo24();
    surface.IntersectClipRect({0, 0, 3, 1});
    EXPECT_EQ(surface.CopyDib(-1, 0, dib.data(), dib.size()), 2);
    EXPECT_EQ(surface.GetPixel(0, 0), kWhite);
    EXPECT_EQ(surface.GetPixel(0, 1), kBlack);  // clipped away
    surface.SelectClipRect({0, 0, 3, 3});
    EXPECT_EQ(surface.CopyDib(2, 2, dib.data(), dib.size()), 2);
    EXPECT_EQ(surface.GetPixel(2, 2), kRed);
    EXPECT_EQ(surface.CopyDib(INT32_MAX, INT32_MIN, dib.data(), dib.size()), 2);

    // A top-down bitmap (negative height) has its first stored row at the top.
    std::vector<uint8_t> topDown = TwoByTwo24();
    const int32_t minusTwo = -2;
    std::memcpy(&topDown[8], &minusTwo, 4);
    EXPECT_EQ(surface.CopyDib(0, 0, topDown.data(), topDown.size()), 2);
    EXPECT_EQ(surface.GetPixel(0, 0), kBlue);
    EXPECT_EQ(surface.GetPixel(0, 1), kRed);
}

TEST(DrawingSurfaceTest, MalformedBitmapsAreRefusedUntouched) {
    DrawingSurface surface(4, 4);
    const std::vector<uint8_t> good = TwoByTwo24();
    auto refused = [&](std::vector<uint8_t> dib) {
        return surface.CopyDib(0, 0, dib.data(), dib.size()) == 0;
    };
    EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.end() - 1)));  // short rows
    EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.begin() + 39)));
    EXPECT_EQ(surface.CopyDib(0, 0, nullptr, 100), 0);
    auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> dib = good;
        std::copy(bytes.begin(), bytes.end(), dib.begin() + static_cast<long>(at));
        return dib;
    };
    EXPECT_TRUE(refused(patched(14, {16, 0})));                  // 16 bits per pixel
    EXPECT_TRUE(refused(patched(16, {1, 0, 0, 0})));             // compressed
    EXPECT_TRUE(refused(patched(4, {0, 0, 0, 0})));              // zero width
    EXPECT_TRUE(refused(patched(4, {0xFF, 0xFF, 0xFF, 0x7F})));  // huge width
    EXPECT_TRUE(refused(patched(8, {0, 0, 0, 0x80})));           // INT32_MIN height
    EXPECT_TRUE(refused(patched(0, {0xFF, 0xFF, 0, 0})));        // header past the end
    std::vector<uint8_t> tooManyColours =
        MakeDib(1, 1, 1, std::vector<uint8_t>(12, 0), {0, 0, 0, 0});
    EXPECT_TRUE(refused(tooManyColours));
    EXPECT_EQ(surface.Counters().dibCopies, 0);
    EXPECT_EQ(surface.GetPixel(0, 3), kBlack);
}

TEST(DrawingSurfaceTest, SectionsPaintAndReadBackThroughTheClipBox) {
    DrawingSurface surface(4, 3);
    surface.SetPixel(1, 1, kRed);
    surface.SetPixel(2, 2, kGreen);
    SurfaceSection section;
    EXPECT_FALSE(section.Create(0, 5));
    EXPECT_FALSE(section.Create(70000, 70000));
    ASSERT_TRUE(section.Create(3, 3));
    EXPECT_EQ(section.RowStride(), 12u);
    std::fill(section.Row(0), section.Row(0) + 9, uint8_t{7});  // bottom row
    surface.ReadBack(1, 1, section);                            // rows 1..3; row 3 is outside
    EXPECT_EQ(section.Row(2)[2], 255);                          // (1, 1) red, top row
    EXPECT_EQ(section.Row(1)[4], 255);                          // (2, 2) green
    EXPECT_EQ(section.Row(0)[0], 7);                            // outside: left as it was

    DrawingSurface target(4, 4);
    target.IntersectClipRect({0, 0, 4, 2});
    EXPECT_EQ(target.PaintSection(0, 0, section), 3);
    EXPECT_EQ(target.GetPixel(0, 0), kRed);
    EXPECT_EQ(target.GetPixel(1, 1), kGreen);
    EXPECT_EQ(target.GetPixel(0, 2), kBlack);  // clipped
    EXPECT_EQ(target.Counters().sectionPaints, 1);
    EXPECT_EQ(surface.Counters().backgroundReads, 1);
    EXPECT_EQ(target.PaintSection(0, 0, SurfaceSection{}), 0);
}

}  // namespace
