// SwfRect: the RECT record, used for the movie's frame and for shape bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class SwfRect {
  public:
    SwfRect() = default;
    virtual ~SwfRect() = default;

    // Stores the corners in pixels and converts each to twips.
    void Set(float xMin, float yMin, float xMax, float yMax);
    // Corners (x, y) and (x + width, y + height).
    void SetFromOriginAndSize(float x, float y, float width, float height);
    void GetValues(float& xMin, float& yMin, float& xMax, float& yMax) const;

    // True when all four twips values fit the record's signed 16-bit fields.
    bool FitsInTwips() const;

    // Encodes the record, replacing any earlier encoding, and returns its bytes.
    // A rectangle that does not fit encodes as no bytes; callers check
    // FitsInTwips (the writer refuses such rectangles instead of wrapping them).
    const std::vector<uint8_t>& Encode();
    size_t GetLength() const { return encoded_.size(); }
    uint8_t GetBitWidth() const { return bitWidth_; }

  private:
    float xMin_ = 0.0f;
    float yMin_ = 0.0f;
    float xMax_ = 5.0f;
    float yMax_ = 5.0f;
    uint8_t bitWidth_ = 0;
    // A rectangle that was never set is (0, 0)-(100, 100) twips.
    int32_t xMinTwips_ = 0;
    int32_t xMaxTwips_ = 100;
    int32_t yMinTwips_ = 0;
    int32_t yMaxTwips_ = 100;
    std::vector<uint8_t> encoded_;
};
