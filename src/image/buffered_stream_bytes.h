// Byte-wise reading for run-length decoders. Run-length data is consumed one or a
// few bytes at a time; going to the stream for each of them would cost a virtual
// call per byte, so this pulls the stream in chunks through StreamReader and hands
// the bytes out from memory. It never reads past the end of the stream.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/stream_reader.h"

class BufferedStreamBytes {
  public:
    explicit BufferedStreamBytes(StreamReader& reader) : reader_(reader) {}

    // The next byte; false once the stream is exhausted.
    bool Next(uint8_t& byte) {
        if (next_ == end_ && !Refill()) {
            return false;
        }
        byte = buffer_[next_++];
        return true;
    }

    // Exactly count bytes into out, or false when the stream ends first.
    bool Take(uint8_t* out, size_t count) {
        while (count > 0) {
            if (next_ == end_ && !Refill()) {
                return false;
            }
            const size_t n = std::min(count, end_ - next_);
            std::memcpy(out, buffer_ + next_, n);
            next_ += n;
            out += n;
            count -= n;
        }
        return true;
    }

    // Passes over count bytes; false when the stream ends first.
    bool Skip(size_t count) {
        while (count > 0) {
            if (next_ == end_ && !Refill()) {
                return false;
            }
            const size_t n = std::min(count, end_ - next_);
            next_ += n;
            count -= n;
        }
        return true;
    }

  private:
    static constexpr size_t kChunkSize = 65536;

    bool Refill() {
        const int64_t remaining = reader_.Remaining();
        if (remaining <= 0) {
            return false;
        }
        const size_t want = static_cast<size_t>(std::min<int64_t>(remaining, kChunkSize));
        if (!reader_.ReadBytes(buffer_, want)) {
            return false;
        }
        next_ = 0;
        end_ = want;
        return true;
    }

    StreamReader& reader_;
    uint8_t buffer_[kChunkSize];
    size_t next_ = 0;
    size_t end_ = 0;
};
