// SwfColorTransform: the colour transform with alpha (CXFORMWITHALPHA) of a
// placement, always written with both its multiply and its add terms.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Red, green, blue, alpha multipliers (1.0 = unchanged), then red, green, blue,
// alpha add terms in colour units.
using SwfColorTerms = std::array<float, 8>;

class SwfColorTransform {
  public:
    // Without terms all eight are zero.
    explicit SwfColorTransform(const SwfColorTerms* terms = nullptr);
    virtual ~SwfColorTransform() = default;

    // False when the terms need a width beyond the 4-bit Nbits field (any term's
    // magnitude of 8448 or more, i.e. a multiplier of 33.0 or an add term of 8448);
    // such a transform encodes as no bytes and the writer refuses it.
    bool Fits() const;

    // Encodes the record, replacing any earlier encoding, and returns its bytes.
    const std::vector<uint8_t>& Encode();
    size_t GetLength() const { return encoded_.size(); }

    // The Nbits the record uses (10 and up).
    unsigned GetBitWidth() const;

  private:
    std::array<int32_t, 8> terms_ = {};
    std::vector<uint8_t> encoded_;
};
