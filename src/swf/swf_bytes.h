// Little-endian byte appends shared by every record and tag the movie writer
// encodes: SWF stores all multi-byte integers least significant byte first.
#pragma once

#include <cstdint>
#include <vector>

inline void SwfPutU16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void SwfPutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}
