// Palette indexes as a stored row packs them: one a byte at 8 bits per pixel, two at
// 4 (the left pixel in the high nibble), eight at 1 (the left pixel in the most
// significant bit). Every reader and writer of such rows goes through these.
#pragma once

#include <array>
#include <cstdint>

// The index of pixel x in a row of 1, 4 or 8 bits per pixel.
inline uint8_t PackedIndex(const uint8_t* row, uint64_t x, uint32_t bpp) {
    if (bpp == 8) {
        return row[x];
    }
    if (bpp == 4) {
        return (x & 1) ? (row[x >> 1] & 0x0F) : static_cast<uint8_t>(row[x >> 1] >> 4);
    }
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// Sets pixel x of a row of 1, 4 or 8 bits per pixel, leaving the other pixels of its
// byte as they are; an index wider than the pixel keeps its low bits.
inline void StorePackedIndex(uint8_t* row, uint64_t x, uint32_t bpp, uint8_t index) {
    if (bpp == 8) {
        row[x] = index;
        return;
    }
    if (bpp == 4) {
        uint8_t& byte = row[x >> 1];
        byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | (index & 0x0F))
                       : static_cast<uint8_t>((byte & 0x0F) | ((index & 0x0F) << 4));
        return;
    }
    uint8_t& byte = row[x >> 3];
    const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
    byte = (index & 1) ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
}

// Two-bit pixels, which PNG and BMP files may hold but a picture cannot: their rows
// are widened to four bits a pixel, the values unchanged. Each source byte (four
// pixels) becomes two bytes.
namespace two_bit_pixels {

constexpr std::array<uint16_t, 256> MakeWidenTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned p0 = (b >> 6) & 3, p1 = (b >> 4) & 3, p2 = (b >> 2) & 3, p3 = b & 3;
        table[b] = static_cast<uint16_t>(((p0 << 4 | p1) << 8) | (p2 << 4 | p3));
    }
    return table;
}
inline constexpr std::array<uint16_t, 256> kWidenTable = MakeWidenTable();

}  // namespace two_bit_pixels

// Writes the (width + 1) / 2 bytes of a four-bit row from the (width + 3) / 4 bytes
// of a two-bit row.
inline void WidenTwoBitRow(const uint8_t* source, uint8_t* target, uint32_t width) {
    const uint32_t sourceBytes = (width + 3) / 4;
    const uint32_t targetBytes = (width + 1) / 2;
    for (uint32_t i = 0; i < sourceBytes; ++i) {
        const uint16_t pair = two_bit_pixels::kWidenTable[source[i]];
        target[2 * i] = static_cast<uint8_t>(pair >> 8);
        if (2 * i + 1 < targetBytes) {
            target[2 * i + 1] = static_cast<uint8_t>(pair);
        }
    }
}
