#include "swf/swf_matrix.h"

#include "swf/swf_bit_writer.h"
#include "swf/swf_twips.h"

namespace {

// 1.0 as a 16.16 fixed-point factor.
constexpr double kFixedPointOne = 65536.0;
// A 5-bit width field holds at most 31.
constexpr uint8_t kMaxFieldWidth = 31;

}  // namespace

void SwfMatrix::Set(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1,
                    float translateX, float translateY) {
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    rotateSkew0_ = rotateSkew0;
    rotateSkew1_ = rotateSkew1;
    translateX_ = translateX;
    translateY_ = translateY;

    flags_ = 0;
    scaleWidth_ = rotateWidth_ = translateWidth_ = 0;
    scaleXFixed_ = scaleYFixed_ = rotateSkew0Fixed_ = rotateSkew1Fixed_ = 0;
    translateXTwips_ = translateYTwips_ = 0;

    if (scaleX != 0.0f || scaleY != 0.0f) {
        scaleXFixed_ = SwfTruncateToInt32(double{scaleX} * kFixedPointOne);
        scaleYFixed_ = SwfTruncateToInt32(double{scaleY} * kFixedPointOne);
        scaleWidth_ = SwfSignedBitWidth({scaleXFixed_, scaleYFixed_});
        flags_ |= kHasScale;
    }
    if (rotateSkew0 != 0.0f || rotateSkew1 != 0.0f) {
        rotateSkew0Fixed_ = SwfTruncateToInt32(double{rotateSkew0} * kFixedPointOne);
        rotateSkew1Fixed_ = SwfTruncateToInt32(double{rotateSkew1} * kFixedPointOne);
        rotateWidth_ = SwfSignedBitWidth({rotateSkew0Fixed_, rotateSkew1Fixed_});
        flags_ |= kHasRotate;
    }
    if (translateX != 0.0f || translateY != 0.0f) {
        translateXTwips_ = SwfPixelsToTwips(translateX);
        translateYTwips_ = SwfPixelsToTwips(translateY);
        translateWidth_ = SwfSignedBitWidth({translateXTwips_, translateYTwips_});
        flags_ |= kHasTranslate;
    }
}

std::array<float, 6> SwfMatrix::GetValues() const {
    return {scaleX_, scaleY_, rotateSkew0_, rotateSkew1_, translateX_, translateY_};
}

bool SwfMatrix::Fits() const {
    return scaleWidth_ <= kMaxFieldWidth && rotateWidth_ <= kMaxFieldWidth &&
           translateWidth_ <= kMaxFieldWidth;
}

const std::vector<uint8_t>& SwfMatrix::Encode() {
    encoded_.clear();
    if (!Fits()) {
        return encoded_;
    }
    const bool hasScale = (flags_ & kHasScale) != 0;
    const bool hasRotate = (flags_ & kHasRotate) != 0;
    const size_t bitCount = 2 + 5 + 2 * size_t{translateWidth_} +
                            (hasScale ? 5 + 2 * size_t{scaleWidth_} : 0) +
                            (hasRotate ? 5 + 2 * size_t{rotateWidth_} : 0);
    SwfBitWriter bits(bitCount);
    bits.WriteUnsigned(hasScale ? 1 : 0, 1);
    if (hasScale) {
        bits.WriteUnsigned(scaleWidth_, 5);
        bits.WriteSigned(scaleXFixed_, scaleWidth_);
        bits.WriteSigned(scaleYFixed_, scaleWidth_);
    }
    bits.WriteUnsigned(hasRotate ? 1 : 0, 1);
    if (hasRotate) {
        bits.WriteUnsigned(rotateWidth_, 5);
        bits.WriteSigned(rotateSkew0Fixed_, rotateWidth_);
        bits.WriteSigned(rotateSkew1Fixed_, rotateWidth_);
    }
    bits.WriteUnsigned(translateWidth_, 5);
    bits.WriteSigned(translateXTwips_, translateWidth_);
    bits.WriteSigned(translateYTwips_, translateWidth_);
    bits.Align();
    encoded_ = bits.TakeBytes();
    return encoded_;
}
