#include "swf/swf_bit_writer.h"

uint8_t SwfSignedBitWidth(std::initializer_list<int32_t> values) {
    uint8_t width = 1;
    for (const int32_t value : values) {
        // Counting in 64 bits keeps 2^31 representable for the widest case.
        const int64_t v = value;
        while (width < 32) {
            const int64_t low = -(int64_t{1} << (width - 1));
            const int64_t high = (int64_t{1} << (width - 1)) - 1;
            if (v >= low && v <= high) {
                break;
            }
            ++width;
        }
    }
    return width;
}

SwfBitWriter::SwfBitWriter(size_t expectedBits) {
    bytes_.reserve((expectedBits + 7) / 8);
}

void SwfBitWriter::WriteUnsigned(uint32_t value, unsigned bits) {
    for (unsigned i = bits; i > 0; --i) {
        const size_t byteIndex = bitCount_ / 8;
        if (byteIndex == bytes_.size()) {
            bytes_.push_back(0);
        }
        if ((value >> (i - 1)) & 1u) {
            bytes_[byteIndex] |= static_cast<uint8_t>(0x80u >> (bitCount_ % 8));
        }
        ++bitCount_;
    }
}

void SwfBitWriter::WriteSigned(int32_t value, unsigned bits) {
    WriteUnsigned(static_cast<uint32_t>(value), bits);
}

void SwfBitWriter::Align() {
    bitCount_ = bytes_.size() * 8;
}
