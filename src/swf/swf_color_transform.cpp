#include "swf/swf_color_transform.h"

#include <cstdlib>

#include "swf/swf_bit_writer.h"
#include "swf/swf_twips.h"

namespace {

// Nbits is a 4-bit field.
constexpr unsigned kMaxTermWidth = 15;

}  // namespace

SwfColorTransform::SwfColorTransform(const SwfColorTerms* terms) {
    if (terms == nullptr) {
        return;
    }
    for (size_t i = 0; i < 4; ++i) {
        terms_[i] = SwfTruncateToInt32(double{(*terms)[i]} * 256.0);
    }
    for (size_t i = 4; i < 8; ++i) {
        terms_[i] = SwfTruncateToInt32(double{(*terms)[i]});
    }
}

unsigned SwfColorTransform::GetBitWidth() const {
    // The width follows the largest magnitude in steps of 256, one bit per
    // doubling; it is the record's own rule and may be a bit wider than needed.
    int64_t largest = 0;
    for (const int32_t term : terms_) {
        const int64_t magnitude = std::llabs(int64_t{term});
        if (magnitude > largest) {
            largest = magnitude;
        }
    }
    const int64_t steps = largest / 256;
    unsigned i = 0;
    while ((int64_t{1} << i) < steps) {
        ++i;
    }
    return 10 + i;
}

bool SwfColorTransform::Fits() const {
    return GetBitWidth() <= kMaxTermWidth;
}

const std::vector<uint8_t>& SwfColorTransform::Encode() {
    encoded_.clear();
    const unsigned width = GetBitWidth();
    if (width > kMaxTermWidth) {
        return encoded_;
    }
    SwfBitWriter bits(6 + 8 * size_t{width});
    bits.WriteUnsigned(1, 1);  // has add terms
    bits.WriteUnsigned(1, 1);  // has multiply terms
    bits.WriteUnsigned(width, 4);
    for (const int32_t term : terms_) {
        bits.WriteSigned(term, width);
    }
    bits.Align();
    encoded_ = bits.TakeBytes();
    return encoded_;
}
