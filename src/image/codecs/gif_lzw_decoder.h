// The variable-length-code LZW decompressor of GIF image data. It reads the data
// sub-blocks that follow an image descriptor and hands out palette indexes on
// request. Hostile streams cannot push it out of bounds: codes beyond the table,
// a string code before any literal, a full table and data that runs out all end the
// output cleanly; the caller sees fewer indexes than it asked for.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/stream_reader.h"

// Reads the chain of length-prefixed data sub-blocks (ended by a zero length) as one
// byte stream.
class GifSubBlockReader {
  public:
    explicit GifSubBlockReader(StreamReader& reader) : reader_(reader) {}

    // Next data byte, or -1 when the chain (or the file) has ended.
    int NextByte() {
        if (position_ == length_ && !LoadBlock()) {
            return -1;
        }
        return buffer_[position_++];
    }
    // Moves the stream past the rest of the chain, terminator included. False when
    // the file ended first.
    bool SkipRest();

  private:
    bool LoadBlock();

    StreamReader& reader_;
    uint8_t buffer_[255] = {};
    size_t length_ = 0;
    size_t position_ = 0;
    bool ended_ = false;      // terminator met (or the file ended)
    bool truncated_ = false;  // the file ended inside the chain
};

class GifLzwDecoder {
  public:
    static constexpr int kMaxCodeBits = 12;
    static constexpr int kTableSize = 1 << kMaxCodeBits;

    // minimumCodeSize is the byte that precedes the sub-blocks. Byte indexes need at
    // most 8, but some encoders write up to 11 (first codes 12 bits wide) and other
    // readers take such files, so 1 to 11 are valid; a literal above 255 keeps its
    // low byte.
    GifLzwDecoder(GifSubBlockReader& source, int minimumCodeSize);

    static bool IsValidMinimumCodeSize(int size) { return size >= 1 && size < kMaxCodeBits; }

    // Writes up to count indexes to out and returns how many were written; fewer
    // than count means the data ended (end code, damaged codes or no more bytes).
    size_t Read(uint8_t* out, size_t count);

  private:
    int ReadCode();
    void ResetTable();
    // Expands the next code into pending_; false when the data has ended.
    bool DecodeNextCode();

    GifSubBlockReader& source_;
    int minimumCodeSize_;
    int clearCode_;
    int endCode_;
    int codeSize_ = 0;
    int nextCode_ = 0;
    int previousCode_ = -1;
    uint8_t previousFirst_ = 0;
    uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
    bool finished_ = false;

    uint16_t prefix_[kTableSize] = {};
    uint8_t suffix_[kTableSize] = {};
    // The expanded string of the last code, stored back to front (last byte first),
    // so output pops from the end. A string is at most kTableSize bytes long.
    uint8_t pending_[kTableSize + 1] = {};
    size_t pendingCount_ = 0;
};
