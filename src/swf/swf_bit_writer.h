// The one bit writer of the movie writer: fields are packed most significant bit
// first, the first field starting at bit 7 of byte 0, with no gaps across byte
// boundaries; the record ends with zero bits up to the next whole byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// The smallest n >= 1 such that every value fits a signed n-bit two's complement
// field: -2^(n-1) <= v <= 2^(n-1) - 1. At most 32.
uint8_t SwfSignedBitWidth(std::initializer_list<int32_t> values);

class SwfBitWriter {
  public:
    SwfBitWriter() = default;
    // Reserves room for a record whose final size in bits is known.
    explicit SwfBitWriter(size_t expectedBits);

    // Writes the low `bits` bits of value (0..32 bits).
    void WriteUnsigned(uint32_t value, unsigned bits);
    // Writes value as a two's complement field of `bits` bits (0..32 bits).
    void WriteSigned(int32_t value, unsigned bits);
    // Moves to the next whole byte; the skipped bits stay zero.
    void Align();

    // The bytes written so far; the last one may be partly filled (with zeros).
    const std::vector<uint8_t>& GetBytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
    size_t bitCount_ = 0;
};
