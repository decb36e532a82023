// The one way decoders read file data: every read either delivers all the bytes
// asked for or fails, so no decoder can run past the end of its input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/byte_order.h"
#include "image/image_stream.h"

class StreamReader {
  public:
    explicit StreamReader(ImageStream& stream) : stream_(stream) {}

    // Reads exactly count bytes or fails.
    bool ReadBytes(void* buffer, size_t count) {
        return count == 0 || stream_.Read(buffer, 1, count) == count;
    }
    bool ReadU8(uint8_t& value) { return ReadBytes(&value, 1); }
    // Moves forward (or back, for a negative count) within the stream.
    bool Skip(int64_t count) { return count == 0 || stream_.Seek(count, SEEK_CUR); }
    int64_t Position() { return stream_.Tell(); }
    bool SeekTo(int64_t position) { return position >= 0 && stream_.Seek(position, SEEK_SET); }
    // Bytes between the current position and the end; 0 when unknown.
    int64_t Remaining() {
        const int64_t size = stream_.Size();
        const int64_t here = stream_.Tell();
        return (size > here && here >= 0) ? size - here : 0;
    }

  private:
    ImageStream& stream_;
};
