#include "swf/swf_shape.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "swf/swf_bit_writer.h"
#include "swf/swf_bytes.h"
#include "swf/swf_tag.h"
#include "swf/swf_twips.h"

namespace {

// Degrees to radians with pi written to eight places, 3.1415926, not M_PI: the rotated
// shapes' matrices have always been computed so, and the exact pi / 180 would change
// the low bits of their factors.
constexpr double kRadiansPerDegree = 3.1415926 / 180.0;

// The edge width field holds width - 2 in 4 bits; the move width field 5 bits.
constexpr uint8_t kMaxEdgeWidth = 17;
constexpr uint8_t kMaxMoveWidth = 31;
// Style counts above this need more than the 4 bits of NumFillBits/NumLineBits.
constexpr size_t kMaxStyleCount = 32767;

// Count byte, or FF and a 16-bit count from 255 on.
void PutStyleCount(std::vector<uint8_t>& out, size_t count) {
    if (count < 255) {
        out.push_back(static_cast<uint8_t>(count));
    } else {
        out.push_back(0xFF);
        SwfPutU16(out, static_cast<uint16_t>(count));
    }
}

// The smallest i with 2^i >= count + 1, or 0 without styles.
uint8_t StyleIndexBits(size_t count) {
    if (count == 0) {
        return 0;
    }
    uint8_t bits = 0;
    while ((size_t{1} << bits) < count + 1) {
        ++bits;
    }
    return bits;
}

// The fill style array: the count, then each entry's type and its colour, or its
// bitmap id and matrix, or its matrix and gradient records. False when a matrix does
// not fit its record.
bool WriteFillStyles(std::vector<uint8_t>& body, const std::vector<SwfFillStyle>& fills) {
    PutStyleCount(body, fills.size());
    for (const SwfFillStyle& fill : fills) {
        body.push_back(fill.type);
        if (fill.type == kSwfFillSolid) {
            body.insert(body.end(), {fill.red, fill.green, fill.blue, fill.alpha});
            continue;
        }
        if (fill.type >= kSwfFillRepeatingBitmap) {
            SwfPutU16(body, fill.bitmapId);
        }
        SwfMatrix matrix;
        matrix.Set(fill.matrix[0], fill.matrix[1], fill.matrix[2], fill.matrix[3], fill.matrix[4],
                   fill.matrix[5]);
        const std::vector<uint8_t>& matrixBytes = matrix.Encode();
        if (matrixBytes.empty()) {
            return false;
        }
        body.insert(body.end(), matrixBytes.begin(), matrixBytes.end());
        if (fill.type < kSwfFillRepeatingBitmap) {
            body.push_back(static_cast<uint8_t>(fill.gradient.size()));
            for (const SwfGradientRecord& r : fill.gradient) {
                body.insert(body.end(), {r.ratio, r.red, r.green, r.blue, r.alpha});
            }
        }
    }
    return true;
}

// The line style array: the count, then each entry's width in twips and colour.
void WriteLineStyles(std::vector<uint8_t>& body, const std::vector<SwfLineStyle>& lines) {
    PutStyleCount(body, lines.size());
    for (const SwfLineStyle& line : lines) {
        SwfPutU16(body, line.widthTwips);
        body.insert(body.end(), {line.red, line.green, line.blue, line.alpha});
    }
}

// Players refuse a shape whose record names a style it does not have, so such a shape
// is never written: the first such name, as " names fill style 2, which it does not
// have (it has 1)", or empty when every record's styles exist.
std::string MissingStyle(const std::vector<SwfShapeRecord>& records, size_t fillCount,
                         size_t lineCount) {
    for (const SwfShapeRecord& record : records) {
        if (record.kind != SwfShapeRecordKind::kStyleChange) {
            continue;
        }
        for (const auto& [index, count, kind] : {std::tuple{record.fillStyle0, fillCount, "fill"},
                                                 std::tuple{record.fillStyle1, fillCount, "fill"},
                                                 std::tuple{record.lineStyle, lineCount, "line"}}) {
            if (index > count) {
                return std::string(" names ") + kind + " style " + std::to_string(index) +
                       ", which it does not have (it has " + std::to_string(count) + ")";
            }
        }
    }
    return {};
}

// A style change record that sets all three styles and moves when it has a point.
void WriteStyleChange(SwfBitWriter& bits, const SwfShapeRecord& record, uint8_t fillBits,
                      uint8_t lineBits) {
    bits.WriteUnsigned(0, 1);  // not an edge
    bits.WriteUnsigned(0, 1);  // no new styles
    bits.WriteUnsigned(1, 1);  // line style present
    bits.WriteUnsigned(1, 1);  // fill style 1 present
    bits.WriteUnsigned(1, 1);  // fill style 0 present
    bits.WriteUnsigned(record.hasMoveTo ? 1 : 0, 1);
    if (record.hasMoveTo) {
        bits.WriteUnsigned(record.bitWidth, 5);
        bits.WriteSigned(record.values[0], record.bitWidth);
        bits.WriteSigned(record.values[1], record.bitWidth);
    }
    bits.WriteUnsigned(record.fillStyle0, fillBits);
    bits.WriteUnsigned(record.fillStyle1, fillBits);
    bits.WriteUnsigned(record.lineStyle, lineBits);
}

// A straight edge, always as a general line with both deltas.
void WriteStraightEdge(SwfBitWriter& bits, const SwfShapeRecord& record) {
    bits.WriteUnsigned(1, 1);  // edge
    bits.WriteUnsigned(1, 1);  // straight
    bits.WriteUnsigned(record.bitWidth - 2u, 4);
    bits.WriteUnsigned(1, 1);  // general line: both deltas follow
    bits.WriteSigned(record.values[0], record.bitWidth);
    bits.WriteSigned(record.values[1], record.bitWidth);
}

// A curved edge: the control point's and the anchor's deltas.
void WriteCurvedEdge(SwfBitWriter& bits, const SwfShapeRecord& record) {
    bits.WriteUnsigned(1, 1);  // edge
    bits.WriteUnsigned(0, 1);  // curved
    bits.WriteUnsigned(record.bitWidth - 2u, 4);
    for (const int32_t value : record.values) {
        bits.WriteSigned(value, record.bitWidth);
    }
}

// The shape records, ended by six zero bits and padded to a whole byte.
void WriteShapeRecords(std::vector<uint8_t>& body, const std::vector<SwfShapeRecord>& records,
                       uint8_t fillBits, uint8_t lineBits) {
    SwfBitWriter bits;
    for (const SwfShapeRecord& record : records) {
        switch (record.kind) {
            case SwfShapeRecordKind::kStyleChange:
                WriteStyleChange(bits, record, fillBits, lineBits);
                break;
            case SwfShapeRecordKind::kStraightEdge:
                WriteStraightEdge(bits, record);
                break;
            case SwfShapeRecordKind::kCurvedEdge:
                WriteCurvedEdge(bits, record);
                break;
            case SwfShapeRecordKind::kEnd:
                bits.WriteUnsigned(0, 6);
                break;
        }
    }
    bits.Align();
    body.insert(body.end(), bits.GetBytes().begin(), bits.GetBytes().end());
}

}  // namespace

SwfShape::SwfShape(uint16_t characterId, float xMin, float yMin, float xMax, float yMax,
                   uint16_t depth)
    : SwfCharacter(kSwfCharacterShape, characterId, depth), shapeId_(characterId) {
    bounds_.Set(xMin, yMin, xMax, yMax);
    if (!bounds_.FitsInTwips()) {
        SetError("shape " + std::to_string(characterId) + " bounds (" + SwfPixelsText(xMin) + ", " +
                 SwfPixelsText(yMin) + ")-(" + SwfPixelsText(xMax) + ", " + SwfPixelsText(yMax) +
                 ") are too large: at most " + std::to_string(kSwfMaxFramePixels) + " pixels fit");
    }
}

void SwfShape::AddSolidFill(uint32_t color) {
    SwfFillStyle fill;
    fill.type = kSwfFillSolid;
    fill.red = static_cast<uint8_t>(color);
    fill.green = static_cast<uint8_t>(color >> 8);
    fill.blue = static_cast<uint8_t>(color >> 16);
    fill.alpha = static_cast<uint8_t>(color >> 24);
    Guarded("adding a fill style", [&] { fillStyles_.push_back(std::move(fill)); });
}

void SwfShape::AddGradientFill(uint8_t type, float x0, float y0, float x1, float y1,
                               const uint8_t* records, int count) {
    if (count <= 0 || records == nullptr ||
        (type != kSwfFillLinearGradient && type != kSwfFillRadialGradient)) {
        return;
    }
    if (count > kSwfMaxGradientRecords) {
        // Ignoring it would shift the index of every later fill style.
        SetError("gradient fill with " + std::to_string(count) + " records: at most " +
                 std::to_string(kSwfMaxGradientRecords) + " fit");
        return;
    }
    SwfFillStyle fill;
    fill.type = type;
    fill.matrix = {(x1 - x0) * float{kSwfTwipsPerPixel} / kSwfGradientSquareTwips,
                   (y1 - y0) * float{kSwfTwipsPerPixel} / kSwfGradientSquareTwips,
                   0.0f,
                   0.0f,
                   (x0 + x1) / 2.0f,
                   (y0 + y1) / 2.0f};
    Guarded("adding a fill style", [&] {
        for (int i = 0; i < count; ++i) {
            const uint8_t* record = records + 5 * i;
            fill.gradient.push_back({record[0], record[1], record[2], record[3], record[4]});
        }
        fillStyles_.push_back(std::move(fill));
    });
}

void SwfShape::AddBitmapFill(uint16_t bitmapId, uint8_t type, float srcX0, float srcY0, float srcX1,
                             float srcY1, float dstX0, float dstY0, float dstX1, float dstY1) {
    if (type < kSwfFillRepeatingBitmap || type > kSwfFillClippedBitmapHard) {
        return;
    }
    if (srcX1 == srcX0 || srcY1 == srcY0) {
        SetError("bitmap fill of bitmap " + std::to_string(bitmapId) +
                 " has an empty source rectangle");
        return;
    }
    SwfFillStyle fill;
    fill.type = type;
    fill.bitmapId = bitmapId;
    // One bitmap pixel is one twip in the fill's own space, hence the factor 20.
    fill.matrix = {(dstX1 - dstX0) / (srcX1 - srcX0) * float{kSwfTwipsPerPixel},
                   (dstY1 - dstY0) / (srcY1 - srcY0) * float{kSwfTwipsPerPixel},
                   0.0f,
                   0.0f,
                   dstX0,
                   dstY0};
    Guarded("adding a fill style", [&] { fillStyles_.push_back(std::move(fill)); });
}

void SwfShape::AddLineStyle(int width, uint32_t color) {
    const int64_t twips = int64_t{width} * kSwfTwipsPerPixel;
    if (twips < 0 || twips > 65535) {
        SetError("line width of " + std::to_string(width) + " pixels does not fit (0 to 3276)");
        return;
    }
    SwfLineStyle line;
    line.widthTwips = static_cast<uint16_t>(twips);
    line.red = static_cast<uint8_t>(color);
    line.green = static_cast<uint8_t>(color >> 8);
    line.blue = static_cast<uint8_t>(color >> 16);
    line.alpha = static_cast<uint8_t>(color >> 24);
    Guarded("adding a line style", [&] { lineStyles_.push_back(line); });
}

void SwfShape::AppendRecord(const SwfShapeRecord& record) {
    Guarded("adding a shape record", [&] { records_.push_back(record); });
}

void SwfShape::AddStyleChange(uint16_t lineStyle, uint16_t fillStyle0, uint16_t fillStyle1,
                              std::optional<SwfPoint> moveTo) {
    SwfShapeRecord record;
    record.kind = SwfShapeRecordKind::kStyleChange;
    record.lineStyle = lineStyle;
    record.fillStyle0 = fillStyle0;
    record.fillStyle1 = fillStyle1;
    if (moveTo) {
        record.hasMoveTo = true;
        record.values[0] = SwfPixelsToTwips(moveTo->x);
        record.values[1] = SwfPixelsToTwips(moveTo->y);
        record.bitWidth = SwfSignedBitWidth({record.values[0], record.values[1]});
        if (record.bitWidth > kMaxMoveWidth) {
            SetError("move to (" + SwfPixelsText(moveTo->x) + ", " + SwfPixelsText(moveTo->y) +
                     ") is out of range");
            return;
        }
    }
    AppendRecord(record);
}

void SwfShape::AddStraightEdge(float dx, float dy) {
    SwfShapeRecord record;
    record.kind = SwfShapeRecordKind::kStraightEdge;
    record.values[0] = SwfPixelsToTwips(dx);
    record.values[1] = SwfPixelsToTwips(dy);
    record.bitWidth = std::max<uint8_t>(2, SwfSignedBitWidth({record.values[0], record.values[1]}));
    if (record.bitWidth > kMaxEdgeWidth) {
        SetError("straight edge (" + SwfPixelsText(dx) + ", " + SwfPixelsText(dy) +
                 ") is too long: at most 3276 pixels fit");
        return;
    }
    AppendRecord(record);
}

void SwfShape::AddCurvedEdge(float controlDx, float controlDy, float anchorDx, float anchorDy) {
    SwfShapeRecord record;
    record.kind = SwfShapeRecordKind::kCurvedEdge;
    record.values = {SwfPixelsToTwips(controlDx), SwfPixelsToTwips(controlDy),
                     SwfPixelsToTwips(anchorDx), SwfPixelsToTwips(anchorDy)};
    record.bitWidth = std::max<uint8_t>(2, SwfSignedBitWidth({record.values[0], record.values[1],
                                                              record.values[2], record.values[3]}));
    if (record.bitWidth > kMaxEdgeWidth) {
        SetError("curved edge (" + SwfPixelsText(controlDx) + ", " + SwfPixelsText(controlDy) +
                 ", " + SwfPixelsText(anchorDx) + ", " + SwfPixelsText(anchorDy) +
                 ") is too long: at most 3276 pixels fit");
        return;
    }
    AppendRecord(record);
}

void SwfShape::SetScale(float x, float y) {
    std::array<float, 6> v = GetPlacementMatrix().GetValues();
    GetPlacementMatrix().Set(x, y, v[2], v[3], v[4], v[5]);
}

void SwfShape::SetSkew(float a, float b) {
    std::array<float, 6> v = GetPlacementMatrix().GetValues();
    GetPlacementMatrix().Set(v[0], v[1], a, b, v[4], v[5]);
}

void SwfShape::SetTranslation(float x, float y) {
    std::array<float, 6> v = GetPlacementMatrix().GetValues();
    GetPlacementMatrix().Set(v[0], v[1], v[2], v[3], x, y);
}

void SwfShape::SetRotation(float degrees) {
    double angle = degrees;
    // Exact quarter turns are nudged off the axes, as players of this format have
    // long been fed.
    if (SwfTruncateToInt32(angle) % 90 == 0) {
        angle += 0.05;
    }
    const double radians = angle * kRadiansPerDegree;
    const float cosine = static_cast<float>(std::cos(radians));
    const float sine = static_cast<float>(std::sin(radians));
    std::array<float, 6> v = GetPlacementMatrix().GetValues();
    GetPlacementMatrix().Set(cosine, cosine, sine, -sine, v[4], v[5]);
}

const std::vector<uint8_t>& SwfShape::GetDefinition() {
    if (built_ || !GetError().empty()) {
        built_ = true;
        return definition_;
    }
    built_ = true;
    const bool built = SwfGuardMemory(
        [this] { return BuildDefinition(); },
        [this] { SetError("out of memory building shape " + std::to_string(shapeId_)); });
    if (!built) {
        definition_.clear();
        definition_.shrink_to_fit();
    }
    return definition_;
}

bool SwfShape::BuildDefinition() {
    records_.push_back(SwfShapeRecord{});  // the end record

    const std::string shapeName = "shape " + std::to_string(shapeId_);
    if (fillStyles_.size() > kMaxStyleCount || lineStyles_.size() > kMaxStyleCount) {
        SetError(shapeName + " has too many styles");
        return false;
    }
    const std::vector<uint8_t>& rect = bounds_.Encode();
    if (rect.empty()) {
        SetError(shapeName + " bounds are too large: at most " +
                 std::to_string(kSwfMaxFramePixels) + " pixels fit");
        return false;
    }
    const uint8_t fillBits = StyleIndexBits(fillStyles_.size());
    const uint8_t lineBits = StyleIndexBits(lineStyles_.size());

    std::vector<uint8_t> body;
    body.reserve(2 + rect.size());
    SwfPutU16(body, shapeId_);
    body.insert(body.end(), rect.begin(), rect.end());
    if (!WriteFillStyles(body, fillStyles_)) {
        SetError(shapeName + " has a fill whose matrix is out of range");
        return false;
    }
    WriteLineStyles(body, lineStyles_);
    body.push_back(static_cast<uint8_t>((fillBits << 4) | lineBits));
    const std::string missingStyle = MissingStyle(records_, fillStyles_.size(), lineStyles_.size());
    if (!missingStyle.empty()) {
        SetError(shapeName + missingStyle);
        return false;
    }
    WriteShapeRecords(body, records_, fillBits, lineBits);

    definition_.clear();
    definition_.reserve(body.size() + 6);
    SwfPutTagHeader(definition_, SwfTagCode::kDefineShape3, static_cast<uint32_t>(body.size()));
    definition_.insert(definition_.end(), body.begin(), body.end());
    return true;
}
