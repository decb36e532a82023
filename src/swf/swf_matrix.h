// SwfMatrix: the MATRIX record, used by bitmap and gradient fills and placements.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class SwfMatrix {
  public:
    // Presence flags of the three pairs.
    static constexpr uint8_t kHasScale = 0x04;
    static constexpr uint8_t kHasRotate = 0x02;
    static constexpr uint8_t kHasTranslate = 0x01;

    SwfMatrix() = default;  // the identity; encodes as the single byte 00
    virtual ~SwfMatrix() = default;

    // Stores the six floats and computes fixed values and widths from them alone:
    // a pair that is zero now is absent, even if an earlier Set made it present.
    void Set(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, float translateX,
             float translateY);
    // The six floats in the order of Set.
    std::array<float, 6> GetValues() const;

    // False when a field would need more than the 31 bits a 5-bit width allows
    // (a factor or translation beyond about +-2^30); such a matrix encodes as no
    // bytes and the writer refuses it.
    bool Fits() const;

    // Encodes the record, replacing any earlier encoding, and returns its bytes.
    const std::vector<uint8_t>& Encode();
    size_t GetLength() const { return encoded_.size(); }

  private:
    float scaleX_ = 0.0f;
    float scaleY_ = 0.0f;
    float rotateSkew0_ = 0.0f;
    float rotateSkew1_ = 0.0f;
    float translateX_ = 0.0f;
    float translateY_ = 0.0f;
    uint8_t flags_ = 0;
    uint8_t scaleWidth_ = 0;
    int32_t scaleXFixed_ = 0;
    int32_t scaleYFixed_ = 0;
    uint8_t rotateWidth_ = 0;
    int32_t rotateSkew0Fixed_ = 0;
    int32_t rotateSkew1Fixed_ = 0;
    uint8_t translateWidth_ = 0;
    int32_t translateXTwips_ = 0;
    int32_t translateYTwips_ = 0;
    std::vector<uint8_t> encoded_;
};
