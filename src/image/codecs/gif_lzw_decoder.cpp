#include "image/codecs/gif_lzw_decoder.h"

bool GifSubBlockReader::LoadBlock() {
    while (!ended_) {
        uint8_t length = 0;
        if (!reader_.ReadU8(length)) {
            ended_ = truncated_ = true;
            return false;
        }
        if (length == 0) {
            ended_ = true;
            return false;
        }
        if (!reader_.ReadBytes(buffer_, length)) {
            // A short last block still delivers nothing: the stream cannot tell how
            // much of it arrived, and a partial picture is fine.
            ended_ = truncated_ = true;
            return false;
        }
        length_ = length;
        position_ = 0;
        return true;
    }
    return false;
}

bool GifSubBlockReader::SkipRest() {
    position_ = length_;
    while (!ended_) {
        uint8_t length = 0;
        if (!reader_.ReadU8(length)) {
            ended_ = truncated_ = true;
            break;
        }
        if (length == 0) {
            ended_ = true;
            break;
        }
        // Seeking past the end succeeds on files; the next length read then fails.
        if (!reader_.Skip(length)) {
            ended_ = truncated_ = true;
            break;
        }
    }
    return !truncated_;
}

GifLzwDecoder::GifLzwDecoder(GifSubBlockReader& source, int minimumCodeSize)
    : source_(source),
      minimumCodeSize_(minimumCodeSize),
      clearCode_(1 << minimumCodeSize),
      endCode_((1 << minimumCodeSize) + 1) {
    if (!IsValidMinimumCodeSize(minimumCodeSize)) {
        finished_ = true;
        return;
    }
    for (int code = 0; code < clearCode_; ++code) {
        suffix_[code] = static_cast<uint8_t>(code);
        prefix_[code] = 0;
    }
    ResetTable();
}

void GifLzwDecoder::ResetTable() {
    codeSize_ = minimumCodeSize_ + 1;
    nextCode_ = endCode_ + 1;
    previousCode_ = -1;
}

int GifLzwDecoder::ReadCode() {
    while (bitCount_ < codeSize_) {
        const int byte = source_.NextByte();
        if (byte < 0) {
            return -1;
        }
        bitBuffer_ |= static_cast<uint32_t>(byte) << bitCount_;
        bitCount_ += 8;
    }
    const int code = static_cast<int>(bitBuffer_ & ((1u << codeSize_) - 1));
    bitBuffer_ >>= codeSize_;
    bitCount_ -= codeSize_;
    return code;
}

bool GifLzwDecoder::DecodeNextCode() {
    for (;;) {
        const int code = ReadCode();
        if (code < 0 || code == endCode_) {
            return false;
        }
        if (code == clearCode_) {
            ResetTable();
            continue;
        }
        if (previousCode_ < 0) {
            // The first code after a clear must be a literal index.
            if (code > clearCode_) {
                return false;
            }
            pending_[pendingCount_++] = static_cast<uint8_t>(code);
            previousCode_ = code;
            previousFirst_ = static_cast<uint8_t>(code);
            return true;
        }
        int walk = code;
        if (code == nextCode_ && nextCode_ < kTableSize) {
            // The string being defined: the previous one plus its own first byte.
            pending_[pendingCount_++] = previousFirst_;
            walk = previousCode_;
        } else if (code >= nextCode_) {
            return false;  // a code the table does not hold yet
        }
        // Every table entry's prefix is a smaller code, so the walk ends, and no
        // string is longer than the table.
        while (walk > endCode_) {
            pending_[pendingCount_++] = suffix_[walk];
            walk = prefix_[walk];
        }
        pending_[pendingCount_++] = static_cast<uint8_t>(walk);
        const uint8_t first = static_cast<uint8_t>(walk);
        if (nextCode_ < kTableSize) {
            // Once the table is full, codes stay 12 bits wide until the next clear.
            prefix_[nextCode_] = static_cast<uint16_t>(previousCode_);
            suffix_[nextCode_] = first;
            ++nextCode_;
            if (nextCode_ == (1 << codeSize_) && codeSize_ < kMaxCodeBits) {
                ++codeSize_;
            }
        }
        previousCode_ = code;
        previousFirst_ = first;
        return true;
    }
}

size_t GifLzwDecoder::Read(uint8_t* out, size_t count) {
    size_t written = 0;
    while (written < count) {
        if (pendingCount_ == 0) {
            if (finished_ || !DecodeNextCode()) {
                finished_ = true;
                break;
            }
        }
        size_t take = pendingCount_;
        if (take > count - written) {
            take = count - written;
        }
        for (size_t i = 0; i < take; ++i) {
            out[written + i] = pending_[--pendingCount_];
        }
        written += take;
    }
    return written;
}
