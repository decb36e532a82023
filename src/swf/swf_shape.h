// SwfShape: a DefineShape3 tag (colours with alpha) with solid, gradient and
// bitmap fills, line styles, style changes, straight and curved edges.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "swf/swf_character.h"
#include "swf/swf_rect.h"

struct SwfPoint {
    float x = 0.0f;
    float y = 0.0f;
};

// Fill style types as written to the file.
inline constexpr uint8_t kSwfFillSolid = 0x00;
inline constexpr uint8_t kSwfFillLinearGradient = 0x10;
inline constexpr uint8_t kSwfFillRadialGradient = 0x12;
inline constexpr uint8_t kSwfFillRepeatingBitmap = 0x40;
inline constexpr uint8_t kSwfFillClippedBitmap = 0x41;
inline constexpr uint8_t kSwfFillRepeatingBitmapHard = 0x42;
inline constexpr uint8_t kSwfFillClippedBitmapHard = 0x43;

// A DefineShape3 gradient holds at most this many records.
inline constexpr int kSwfMaxGradientRecords = 8;

// One gradient record: ratio, red, green, blue, alpha.
struct SwfGradientRecord {
    uint8_t ratio = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
};

struct SwfFillStyle {
    uint8_t type = kSwfFillSolid;
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;  // solid
    uint16_t bitmapId = 0;                            // bitmap fills
    std::array<float, 6> matrix = {};                 // gradient and bitmap fills
    std::vector<SwfGradientRecord> gradient;          // gradient fills
};

struct SwfLineStyle {
    uint16_t widthTwips = 0;
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
};

enum class SwfShapeRecordKind { kStyleChange, kStraightEdge, kCurvedEdge, kEnd };

struct SwfShapeRecord {
    SwfShapeRecordKind kind = SwfShapeRecordKind::kEnd;
    uint8_t bitWidth = 0;
    // Style change: move X, move Y. Straight edge: delta X, delta Y. Curved edge:
    // control delta X, control delta Y, anchor delta X, anchor delta Y. Twips.
    std::array<int32_t, 4> values = {};
    bool hasMoveTo = false;
    uint16_t fillStyle0 = 0;
    uint16_t fillStyle1 = 0;
    uint16_t lineStyle = 0;
};

class SwfShape : public SwfCharacter {
  public:
    // Bounds in pixels; the character id is also the tag's shape id.
    SwfShape(uint16_t characterId, float xMin, float yMin, float xMax, float yMax, uint16_t depth);

    // colour is 0xAABBGGRR.
    void AddSolidFill(uint32_t color);
    // type 0x10 or 0x12, a box in pixels, count records of 5 bytes (ratio, red,
    // green, blue, alpha). Ignored unless count > 0 and the type is a gradient;
    // more than kSwfMaxGradientRecords records make the shape unbuildable.
    void AddGradientFill(uint8_t type, float x0, float y0, float x1, float y1,
                         const uint8_t* records, int count);
    // type 0x40..0x43; maps the source rectangle of the bitmap (pixels) onto the
    // destination rectangle of the shape (pixels). Ignored for other types; an
    // empty source rectangle makes the shape unbuildable (it would divide by zero).
    void AddBitmapFill(uint16_t bitmapId, uint8_t type, float srcX0, float srcY0, float srcX1,
                       float srcY1, float dstX0, float dstY0, float dstX1, float dstY1);
    // width in whole pixels (stored as twips in 16 bits), colour 0xAABBGGRR.
    void AddLineStyle(int width, uint32_t color);
    // Sets all three style indexes (0 = none, 1 = first added); moves to the point
    // (pixels, relative to the shape's origin) when one is given.
    void AddStyleChange(uint16_t lineStyle, uint16_t fillStyle0, uint16_t fillStyle1,
                        std::optional<SwfPoint> moveTo = std::nullopt);
    void AddStraightEdge(float dx, float dy);
    void AddCurvedEdge(float controlDx, float controlDy, float anchorDx, float anchorDy);

    // Placement-matrix setters: each replaces one pair of the placement matrix.
    void SetScale(float x, float y);
    void SetSkew(float a, float b);
    void SetTranslation(float x, float y);
    // Replaces scale and rotate/skew, keeps the translation. Whole multiples of 90
    // degrees (0 included) are nudged by 0.05 degrees.
    void SetRotation(float degrees);

    // Builds the DefineShape3 tag on the first call and returns the same bytes on
    // every later call. Returns no bytes (and GetError says why) when a value does
    // not fit its field.
    const std::vector<uint8_t>& GetDefinition() override;
    size_t GetDefinitionLength() const override { return definition_.size(); }

  private:
    bool BuildDefinition();
    void AppendRecord(const SwfShapeRecord& record);

    uint16_t shapeId_;
    std::vector<SwfFillStyle> fillStyles_;
    std::vector<SwfLineStyle> lineStyles_;
    std::vector<SwfShapeRecord> records_;
    std::vector<uint8_t> definition_;
    bool built_ = false;
    SwfRect bounds_;
};
