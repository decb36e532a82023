// A small, independent reader of uncompressed SWF movies for the tests: the header
// fields and the list of tags with their bodies, plus the few fields of the tags the
// slideshow writes. It trusts nothing and reports what it could not read.
//
// The Describe functions at the end read records, tags and whole movies back into
// one line of text, field by field, as a player would walk them: every length must
// be consumed exactly and every style index must name a style.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/byte_builder.h"

namespace test_support {

struct SwfTestTag {
    uint16_t code = 0;
    std::vector<uint8_t> body;
    bool longForm = false;  // the header had the 32-bit length
};

struct SwfTestMovie {
    std::string error;  // empty when the whole file was read
    std::string signature;
    uint8_t version = 0;
    uint32_t fileLength = 0;
    int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;  // twips
    uint8_t rateFraction = 0;
    uint8_t rateWhole = 0;
    uint16_t frameCount = 0;
    std::vector<SwfTestTag> tags;  // End tag included

    std::vector<const SwfTestTag*> TagsWithCode(uint16_t code) const {
        std::vector<const SwfTestTag*> found;
        for (const SwfTestTag& tag : tags) {
            if (tag.code == code) {
                found.push_back(&tag);
            }
        }
        return found;
    }
};

inline constexpr uint16_t kTestTagEnd = 0;
inline constexpr uint16_t kTestTagShowFrame = 1;
inline constexpr uint16_t kTestTagSetBackgroundColor = 9;
inline constexpr uint16_t kTestTagDoAction = 12;
inline constexpr uint16_t kTestTagDefineBitsJpeg2 = 21;
inline constexpr uint16_t kTestTagPlaceObject2 = 26;
inline constexpr uint16_t kTestTagRemoveObject2 = 28;
inline constexpr uint16_t kTestTagDefineShape3 = 32;
inline constexpr uint16_t kTestTagFrameLabel = 43;

// Reads `width` bits at bit position `bit` (most significant bit first), signed.
inline int32_t TestSignedBits(const std::vector<uint8_t>& b, size_t& bit, int width) {
    int64_t value = 0;
    for (int i = 0; i < width; ++i, ++bit) {
        const size_t byte = bit / 8;
        const int set = byte < b.size() ? (b[byte] >> (7 - bit % 8)) & 1 : 0;
        value = value << 1 | set;
    }
    if (width > 0 && (value >> (width - 1)) & 1) {
        value -= int64_t{1} << width;
    }
    return static_cast<int32_t>(value);
}

// Byte length of the RECT record starting at `at`.
inline size_t TestRectLength(const std::vector<uint8_t>& b, size_t at) {
    if (at >= b.size()) {
        return 0;
    }
    const int width = b[at] >> 3;
    return (5 + 4 * static_cast<size_t>(width) + 7) / 8;
}

// The tags of b from byte `at` on, up to and including an End tag or the end of
// the bytes. `error` is empty when every tag was framed whole; `end` is where the
// reading stopped.
struct SwfTestTags {
    std::string error;
    std::vector<SwfTestTag> tags;
    size_t end = 0;
};
inline SwfTestTags ParseTestTags(const std::vector<uint8_t>& b, size_t at) {
    SwfTestTags parsed;
    while (at + 2 <= b.size()) {
        const uint16_t word = ReadU16(b, at);
        at += 2;
        SwfTestTag tag;
        tag.code = static_cast<uint16_t>(word >> 6);
        size_t length = word & 0x3F;
        if (length == 0x3F) {
            if (at + 4 > b.size()) {
                parsed.error = "long tag header cut short";
                break;
            }
            tag.longForm = true;
            length = ReadU32(b, at);
            at += 4;
        }
        if (length > b.size() - at) {
            parsed.error = "tag body runs past the end";
            break;
        }
        tag.body.assign(b.begin() + static_cast<std::ptrdiff_t>(at),
                        b.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        parsed.tags.push_back(std::move(tag));
        if (parsed.tags.back().code == kTestTagEnd) {
            break;
        }
    }
    if (parsed.error.empty() && at < b.size() &&
        (parsed.tags.empty() || parsed.tags.back().code != kTestTagEnd)) {
        parsed.error = "tag header cut short";
    }
    parsed.end = at;
    return parsed;
}

inline SwfTestMovie ParseTestMovie(const std::vector<uint8_t>& b) {
    SwfTestMovie movie;
    if (b.size() < 9) {
        movie.error = "shorter than a header";
        return movie;
    }
    movie.signature.assign(b.begin(), b.begin() + 3);
    movie.version = b[3];
    movie.fileLength = ReadU32(b, 4);
    size_t bit = 8 * 8;
    const int width = TestSignedBits(b, bit, 5) & 0x1F;
    movie.xMin = TestSignedBits(b, bit, width);
    movie.xMax = TestSignedBits(b, bit, width);
    movie.yMin = TestSignedBits(b, bit, width);
    movie.yMax = TestSignedBits(b, bit, width);
    size_t at = 8 + TestRectLength(b, 8);
    if (at + 4 > b.size()) {
        movie.error = "header cut short";
        return movie;
    }
    movie.rateFraction = b[at];
    movie.rateWhole = b[at + 1];
    movie.frameCount = ReadU16(b, at + 2);
    SwfTestTags parsed = ParseTestTags(b, at + 4);
    movie.tags = std::move(parsed.tags);
    if (!parsed.error.empty() && parsed.error != "tag header cut short") {
        movie.error = parsed.error;
    } else if (movie.tags.empty() || movie.tags.back().code != kTestTagEnd) {
        movie.error = "no End tag";
    } else if (parsed.end != b.size()) {
        movie.error = "bytes after the End tag";
    }
    return movie;
}

// DefineBitsJPEG2 and DefineShape3 start with their character id.
inline uint16_t TestCharacterId(const SwfTestTag& tag) {
    return ReadU16(tag.body, 0);
}

// The JPEG data of a DefineBitsJPEG2 (everything after the id).
inline std::vector<uint8_t> TestJpegData(const SwfTestTag& tag) {
    return tag.body.size() < 2 ? std::vector<uint8_t>{}
                               : std::vector<uint8_t>(tag.body.begin() + 2, tag.body.end());
}

// A PlaceObject2 of a new character: flags, depth, character id.
struct TestPlacement {
    uint8_t flags = 0;
    uint16_t depth = 0;
    uint16_t characterId = 0;
};
inline TestPlacement TestReadPlacement(const SwfTestTag& tag) {
    if (tag.body.size() < 5) {
        return {};
    }
    return {tag.body[0], ReadU16(tag.body, 1), ReadU16(tag.body, 3)};
}

// The bitmap id of a DefineShape3's first fill style when it is a bitmap fill; 0
// otherwise.
inline uint16_t TestShapeBitmapId(const SwfTestTag& tag) {
    const size_t at = 2 + TestRectLength(tag.body, 2);
    if (at + 4 > tag.body.size() || tag.body[at] == 0) {
        return 0;
    }
    const uint8_t type = tag.body[at + 1];
    if (type < 0x40 || type > 0x43) {
        return 0;
    }
    return ReadU16(tag.body, at + 2);
}

// The shape's bounds in twips: x min, x max, y min, y max.
inline std::vector<int32_t> TestShapeBounds(const SwfTestTag& tag) {
    size_t bit = 2 * 8;
    const int width = TestSignedBits(tag.body, bit, 5) & 0x1F;
    std::vector<int32_t> bounds;
    for (int i = 0; i < 4; ++i) {
        bounds.push_back(TestSignedBits(tag.body, bit, width));
    }
    return bounds;
}

// Reads bit fields (most significant bit first) and little-endian bytes from one
// buffer; reading past the end gives zeros and sets `overrun`.
class TestBitReader {
  public:
    explicit TestBitReader(const std::vector<uint8_t>& bytes, size_t byte = 0)
        : bytes_(bytes), bit_(8 * byte) {}
    uint32_t Bits(int width) {
        uint32_t value = 0;
        for (int i = 0; i < width; ++i, ++bit_) {
            const size_t byte = bit_ / 8;
            overrun_ = overrun_ || byte >= bytes_.size();
            const uint32_t set = byte < bytes_.size() ? (bytes_[byte] >> (7 - bit_ % 8)) & 1u : 0u;
            value = value << 1 | set;
        }
        return value;
    }
    int32_t Signed(int width) {
        const int64_t value = Bits(width);
        const bool negative = width > 0 && (value >> (width - 1)) & 1;
        return static_cast<int32_t>(negative ? value - (int64_t{1} << width) : value);
    }
    void Align() { bit_ = (bit_ + 7) / 8 * 8; }
    uint32_t U8() {
        Align();
        return Bits(8);
    }
    uint32_t U16() {
        const uint32_t low = U8();
        return low | U8() << 8;
    }
    uint32_t U32() {
        const uint32_t low = U16();
        return low | U16() << 16;
    }
    size_t Byte() const { return (bit_ + 7) / 8; }
    bool Overrun() const { return overrun_; }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t bit_;
    bool overrun_ = false;
};

inline std::string TestNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// `count` bytes as hex digits, in file order.
inline std::string TestHexBytes(TestBitReader& in, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", in.U8());
        text += digits;
    }
    return text;
}

// "RECT xmin xmax ymin ymax" in twips.
inline std::string ReadTestRect(TestBitReader& in) {
    const int width = static_cast<int>(in.Bits(5));
    std::string text = "RECT";
    for (int i = 0; i < 4; ++i) {
        text += " " + std::to_string(in.Signed(width));
    }
    in.Align();
    return text;
}

// "MATRIX scale x y, skew a b, translate x y": factors as numbers, translation
// in twips; an absent pair is left out.
inline std::string ReadTestMatrix(TestBitReader& in) {
    std::string text = "MATRIX";
    for (const char* pair : {"scale", "skew"}) {
        if (in.Bits(1) == 1) {
            const int width = static_cast<int>(in.Bits(5));
            const double first = in.Signed(width) / 65536.0;
            const double second = in.Signed(width) / 65536.0;
            text +=
                std::string(" ") + pair + " " + TestNumber(first) + " " + TestNumber(second) + ",";
        }
    }
    const int width = static_cast<int>(in.Bits(5));
    const int32_t x = in.Signed(width);
    text += " translate " + std::to_string(x) + " " + std::to_string(in.Signed(width));
    in.Align();
    return text;
}

// "CXFORM mult r g b a add r g b a" (8.8 multipliers and add terms as integers).
inline std::string ReadTestColorTransform(TestBitReader& in) {
    const bool hasAdd = in.Bits(1) == 1;
    const bool hasMult = in.Bits(1) == 1;
    const int width = static_cast<int>(in.Bits(4));
    std::string text = "CXFORM";
    for (const auto& [present, name] : {std::pair{hasMult, " mult"}, std::pair{hasAdd, " add"}}) {
        if (present) {
            text += name;
            for (int i = 0; i < 4; ++i) {
                text += " " + std::to_string(in.Signed(width));
            }
        }
    }
    in.Align();
    return text;
}

// Action records up to their closing zero: each code in hex, "+N" after a code
// whose record has an N-byte body.
inline std::string ReadTestActions(const std::vector<uint8_t>& b, size_t& at) {
    std::string text;
    while (at < b.size() && b[at] != 0) {
        char code[8];
        std::snprintf(code, sizeof code, "%02X", b[at]);
        text += (text.empty() ? "" : " ") + std::string(code);
        if (b[at++] >= 0x80) {
            const size_t length = ReadU16(b, at);
            if (at + 2 + length > b.size()) {
                return text + " (body runs past the end)";
            }
            text += "+" + std::to_string(length);
            at += 2 + length;
        }
    }
    if (at >= b.size()) {
        return text + " (no closing zero)";
    }
    ++at;
    return text;
}

inline std::string TestLeftOver(const TestBitReader& in, size_t size) {
    if (in.Overrun()) {
        return " (runs past the end)";
    }
    return in.Byte() == size ? "" : " (" + std::to_string(size - in.Byte()) + " bytes left over)";
}

// Fill styles, line styles and shape records of a DefineShape3 body.
inline std::string ReadTestShape(const std::vector<uint8_t>& body) {
    TestBitReader in(body);
    std::string text = "id " + std::to_string(in.U16());
    text += ", " + ReadTestRect(in);
    const auto count = [&in] {
        const uint32_t first = in.U8();
        return first == 0xFF ? in.U16() : first;
    };
    const uint32_t fills = count();
    text += ", fills";
    for (uint32_t i = 0; i < fills && !in.Overrun(); ++i) {
        const uint32_t type = in.U8();
        char name[8];
        std::snprintf(name, sizeof name, " %02X", type);
        text += name;
        if (type == 0x00) {
            text += "(" + TestHexBytes(in, 4) + ")";
        } else if (type == 0x10 || type == 0x12) {
            text += "(" + ReadTestMatrix(in);
            const uint32_t records = in.U8();
            for (uint32_t r = 0; r < 5 * records; ++r) {
                in.U8();
            }
            text += ", " + std::to_string(records) + " records)";
        } else if (type >= 0x40 && type <= 0x43) {
            text += "(bitmap " + std::to_string(in.U16());
            text += ", " + ReadTestMatrix(in) + ")";
        } else {
            return text + " (unknown fill type)";
        }
    }
    const uint32_t lines = count();
    text += ", lines";
    for (uint32_t i = 0; i < lines && !in.Overrun(); ++i) {
        const uint32_t width = in.U16();
        text += " " + std::to_string(width) + "(" + TestHexBytes(in, 4) + ")";
    }
    const uint32_t styleBits = in.U8();
    const int fillBits = static_cast<int>(styleBits >> 4);
    const int lineBits = static_cast<int>(styleBits & 15);
    text += ", records";
    while (!in.Overrun()) {
        if (in.Bits(1) == 0) {
            const uint32_t flags = in.Bits(5);
            if (flags == 0) {
                text += " end";
                break;
            }
            if (flags & 0x10) {
                return text + " (new styles are not read)";
            }
            text += " change";
            if (flags & 0x01) {
                const int width = static_cast<int>(in.Bits(5));
                const int32_t x = in.Signed(width);
                text += " move " + std::to_string(x) + " " + std::to_string(in.Signed(width));
            }
            const struct {
                uint32_t flag;
                const char* name;
                int bits;
                uint32_t styles;
            } indexes[] = {{0x02, "fill0", fillBits, fills},
                           {0x04, "fill1", fillBits, fills},
                           {0x08, "line", lineBits, lines}};
            for (const auto& index : indexes) {
                if (flags & index.flag) {
                    const uint32_t value = in.Bits(index.bits);
                    text += std::string(" ") + index.name + " " + std::to_string(value);
                    if (value > index.styles) {
                        return text + " (names a missing style)";
                    }
                }
            }
            text += ",";
        } else if (in.Bits(1) == 1) {
            const int width = static_cast<int>(in.Bits(4)) + 2;
            const bool general = in.Bits(1) == 1;
            const bool vertical = !general && in.Bits(1) == 1;
            const int32_t dx = general || !vertical ? in.Signed(width) : 0;
            const int32_t dy = general || vertical ? in.Signed(width) : 0;
            text += " edge " + std::to_string(dx) + " " + std::to_string(dy) + ",";
        } else {
            const int width = static_cast<int>(in.Bits(4)) + 2;
            text += " curve";
            for (int i = 0; i < 4; ++i) {
                text += " " + std::to_string(in.Signed(width));
            }
            text += ",";
        }
    }
    in.Align();
    return text + TestLeftOver(in, body.size());
}

inline std::string ReadTestPlacement(const std::vector<uint8_t>& body) {
    TestBitReader in(body);
    const uint32_t flags = in.U8();
    if (flags & ~0x0Fu) {
        return "flags beyond move, character, matrix and colour transform";
    }
    std::string text = (flags & 0x01) ? "move" : "place";
    text += " depth " + std::to_string(in.U16());
    if (flags & 0x02) {
        text += " id " + std::to_string(in.U16());
    }
    if (flags & 0x04) {
        text += ", " + ReadTestMatrix(in);
    }
    if (flags & 0x08) {
        text += ", " + ReadTestColorTransform(in);
    }
    return text + TestLeftOver(in, body.size());
}

// One tag as "Name", "Name long" when it has the long header, then ": fields".
inline std::string DescribeTestTag(const SwfTestTag& tag) {
    const std::vector<uint8_t>& b = tag.body;
    std::string name;
    std::string fields;
    switch (tag.code) {
        case kTestTagEnd:
            name = "End";
            break;
        case kTestTagShowFrame:
            name = "ShowFrame";
            break;
        case kTestTagSetBackgroundColor: {
            name = "SetBackgroundColor";
            char rgb[16];
            std::snprintf(rgb, sizeof rgb, "%02X%02X%02X", b.size() > 0 ? b[0] : 0,
                          b.size() > 1 ? b[1] : 0, b.size() > 2 ? b[2] : 0);
            fields = rgb + std::string(b.size() == 3 ? "" : " (body is not 3 bytes)");
            break;
        }
        case kTestTagDoAction: {
            name = "DoAction";
            size_t at = 0;
            fields = ReadTestActions(b, at);
            fields += at == b.size() ? "" : " (bytes left over)";
            break;
        }
        case kTestTagDefineBitsJpeg2:
            name = "DefineBitsJPEG2";
            fields = "id " + std::to_string(ReadU16(b, 0)) + ", " +
                     std::to_string(b.size() < 2 ? 0 : b.size() - 2) + " data bytes";
            break;
        case kTestTagPlaceObject2:
            name = "PlaceObject2";
            fields = ReadTestPlacement(b);
            break;
        case kTestTagRemoveObject2:
            name = "RemoveObject2";
            fields = "depth " + std::to_string(ReadU16(b, 0)) +
                     (b.size() == 2 ? "" : " (body is not 2 bytes)");
            break;
        case kTestTagDefineShape3:
            name = "DefineShape3";
            fields = ReadTestShape(b);
            break;
        case kTestTagFrameLabel:
            name = "FrameLabel";
            if (!b.empty() && b.back() == 0) {
                fields = "\"" + std::string(b.begin(), b.end() - 1) + "\"";
            } else {
                fields = "(no closing zero)";
            }
            break;
        default:
            name = "tag " + std::to_string(tag.code);
            break;
    }
    return name + (tag.longForm ? " long" : "") + (fields.empty() ? "" : ": " + fields);
}

// A tag stream (or a lone record) read back, each tag described, joined by "; ".
inline std::string DescribeTestTags(const std::vector<uint8_t>& b) {
    const SwfTestTags parsed = ParseTestTags(b, 0);
    std::string text;
    for (const SwfTestTag& tag : parsed.tags) {
        text += (text.empty() ? "" : "; ") + DescribeTestTag(tag);
    }
    if (!parsed.error.empty()) {
        text += " (" + parsed.error + ")";
    } else if (parsed.end != b.size()) {
        text += " (bytes after the End tag)";
    }
    return text;
}

inline std::string DescribeTestRect(const std::vector<uint8_t>& b) {
    TestBitReader in(b);
    const std::string text = ReadTestRect(in);
    return text + TestLeftOver(in, b.size());
}

inline std::string DescribeTestMatrix(const std::vector<uint8_t>& b) {
    TestBitReader in(b);
    const std::string text = ReadTestMatrix(in);
    return text + TestLeftOver(in, b.size());
}

inline std::string DescribeTestColorTransform(const std::vector<uint8_t>& b) {
    TestBitReader in(b);
    const std::string text = ReadTestColorTransform(in);
    return text + TestLeftOver(in, b.size());
}

// Bare action records without a tag header.
inline std::string DescribeTestActions(const std::vector<uint8_t>& b) {
    size_t at = 0;
    const std::string text = ReadTestActions(b, at);
    return at == b.size() ? text : text + " (bytes left over)";
}

// "FWS 3, RECT ..., rate 10, 1 frames; " then the tags. The header's file length
// and frame count are checked against the bytes and the ShowFrame tags.
inline std::string DescribeTestMovie(const std::vector<uint8_t>& b) {
    const SwfTestMovie movie = ParseTestMovie(b);
    if (!movie.error.empty()) {
        return "unreadable movie: " + movie.error;
    }
    TestBitReader in(b, 8);
    std::string text =
        movie.signature + " " + std::to_string(movie.version) + ", " + ReadTestRect(in) +
        ", rate " + std::to_string(movie.rateWhole) +
        (movie.rateFraction == 0 ? "" : "+" + std::to_string(movie.rateFraction) + "/256") + ", " +
        std::to_string(movie.frameCount) + " frames";
    if (movie.fileLength != b.size()) {
        text += " (file length " + std::to_string(movie.fileLength) + " of " +
                std::to_string(b.size()) + " bytes)";
    }
    if (movie.TagsWithCode(kTestTagShowFrame).size() != movie.frameCount) {
        text += " (" + std::to_string(movie.TagsWithCode(kTestTagShowFrame).size()) + " shown)";
    }
    for (const SwfTestTag& tag : movie.tags) {
        text += "; " + DescribeTestTag(tag);
    }
    return text;
}

}  // namespace test_support
