// Two-bit pixels, which PNG and BMP files may hold but a picture cannot (it has 1, 4,
// 8 or 24 bits per pixel): their rows are widened to four bits a pixel.
#pragma once

#include <array>
#include <cstdint>

namespace two_bit_pixels {

// Each source byte (four pixels) becomes two bytes, the pixel values unchanged.
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
