#include "swf/swf_rect.h"

#include "swf/swf_bit_writer.h"
#include "swf/swf_twips.h"

void SwfRect::Set(float xMin, float yMin, float xMax, float yMax) {
    xMin_ = xMin;
    yMin_ = yMin;
    xMax_ = xMax;
    yMax_ = yMax;
    xMinTwips_ = SwfPixelsToTwips(xMin);
    xMaxTwips_ = SwfPixelsToTwips(xMax);
    yMinTwips_ = SwfPixelsToTwips(yMin);
    yMaxTwips_ = SwfPixelsToTwips(yMax);
}

void SwfRect::SetFromOriginAndSize(float x, float y, float width, float height) {
    Set(x, y, x + width, y + height);
}

void SwfRect::GetValues(float& xMin, float& yMin, float& xMax, float& yMax) const {
    xMin = xMin_;
    yMin = yMin_;
    xMax = xMax_;
    yMax = yMax_;
}

bool SwfRect::FitsInTwips() const {
    for (const float corner : {xMin_, yMin_, xMax_, yMax_}) {
        if (!SwfFitsInTwips(corner)) {
            return false;
        }
    }
    return true;
}

const std::vector<uint8_t>& SwfRect::Encode() {
    encoded_.clear();
    // The record's fields are signed 16-bit values; anything wider would be
    // written wrapped, a rectangle no player reads as meant.
    const auto fits = [](int32_t twips) { return twips >= kSwfMinTwips && twips <= kSwfMaxTwips; };
    if (!fits(xMinTwips_) || !fits(xMaxTwips_) || !fits(yMinTwips_) || !fits(yMaxTwips_)) {
        bitWidth_ = 0;
        return encoded_;
    }
    bitWidth_ = SwfSignedBitWidth({xMinTwips_, xMaxTwips_, yMinTwips_, yMaxTwips_});
    SwfBitWriter bits(5 + 4 * size_t{bitWidth_});
    bits.WriteUnsigned(bitWidth_, 5);
    bits.WriteSigned(xMinTwips_, bitWidth_);
    bits.WriteSigned(xMaxTwips_, bitWidth_);
    bits.WriteSigned(yMinTwips_, bitWidth_);
    bits.WriteSigned(yMaxTwips_, bitWidth_);
    bits.Align();
    encoded_ = bits.TakeBytes();
    return encoded_;
}
