// Tag framing: the codes of the tags the movie writer writes, and the one function
// that writes a tag's header.
#pragma once

#include <cstdint>
#include <vector>

enum class SwfTagCode : uint16_t {
    kEnd = 0,
    kShowFrame = 1,
    kSetBackgroundColor = 9,
    kDoAction = 12,
    kDefineBitsJpeg2 = 21,
    kPlaceObject2 = 26,
    kRemoveObject2 = 28,
    kDefineShape3 = 32,
    kFrameLabel = 43,
    kFileAttributes = 69,
};

// Appends a tag header: the 16-bit word code * 64 + length (short form, 2 bytes),
// or code * 64 + 0x3F followed by the 32-bit length (long form, 6 bytes).
//
// Only End, ShowFrame, SetBackgroundColor and FileAttributes take the short form;
// every other tag is written in the long form whatever its length, RemoveObject2
// with its two-byte body included. Players require the long form for bitmap
// definitions, and our movies have always been written this way, byte for byte.
// FileAttributes is written as the authoring tools of version 8 wrote it, short.
void SwfPutTagHeader(std::vector<uint8_t>& out, SwfTagCode code, uint32_t bodyLength);
