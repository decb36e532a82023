// A small, independent reader of uncompressed SWF movies for the tests: the header
// fields and the list of tags with their bodies, plus the few fields of the tags the
// slideshow writes. It trusts nothing and reports what it could not read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/byte_builder.h"

namespace test_support {

struct SwfTestTag {
    uint16_t code = 0;
    std::vector<uint8_t> body;
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
inline constexpr uint16_t kTestTagDefineBitsJpeg2 = 21;
inline constexpr uint16_t kTestTagPlaceObject2 = 26;
inline constexpr uint16_t kTestTagDefineShape3 = 32;

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
    at += 4;
    while (at + 2 <= b.size()) {
        const uint16_t word = ReadU16(b, at);
        at += 2;
        size_t length = word & 0x3F;
        if (length == 0x3F) {
            if (at + 4 > b.size()) {
                movie.error = "long tag header cut short";
                return movie;
            }
            length = ReadU32(b, at);
            at += 4;
        }
        if (length > b.size() - at) {
            movie.error = "tag body runs past the end";
            return movie;
        }
        SwfTestTag tag;
        tag.code = static_cast<uint16_t>(word >> 6);
        tag.body.assign(b.begin() + static_cast<std::ptrdiff_t>(at),
                        b.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        movie.tags.push_back(std::move(tag));
        if (movie.tags.back().code == kTestTagEnd) {
            break;
        }
    }
    if (movie.tags.empty() || movie.tags.back().code != kTestTagEnd) {
        movie.error = "no End tag";
    } else if (at != b.size()) {
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

}  // namespace test_support
