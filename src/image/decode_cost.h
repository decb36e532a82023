// What a picture costs in memory, told by its decoder once the header is read and
// before anything is allocated for the pixels, and the admission that may refuse it
// or wait until memory is free.
#pragma once

#include <cstdint>

class Picture;

struct DecodeCost {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bpp = 24;   // of the picture the decoder makes: 1, 4, 8 or 24
    bool alpha = false;  // it may get an alpha plane
    bool grey = false;   // it gets the identity grey palette, so stays 8-bit in a frame
    // The decoder's own buffers that grow with the picture's area, held beside it
    // while it decodes (libjpeg's coefficients of a multi-scan file, an interlaced
    // picture's rows, a 32-bit bitmap's pixels before they are split).
    uint64_t workingBytes = 0;
};

// Sizes a hostile header claims can pass 64 bits: sums and products of them stop at
// the largest value, which no limit admits.
inline uint64_t SaturatingProduct(uint64_t a, uint64_t b) {
    uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? UINT64_MAX : product;
}
inline uint64_t SaturatingSum(uint64_t a, uint64_t b) {
    uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? UINT64_MAX : sum;
}

// Bytes of the stored rows of a width x height picture at bpp bits, rows padded to 4
// bytes; 64-bit, so no size a header can claim overflows.
uint64_t PictureRowsBytes(uint64_t width, uint64_t height, uint32_t bpp);

// Everything the decoding holds at once: the rows, the alpha plane and the working
// buffers.
uint64_t DecodeBytes(const DecodeCost& cost);

// The working bytes a decoder announces for buffers that are each held to the memory
// limit alone but not beside the picture (libheif's RGB image, libwebp's lossless or
// alpha buffer): as many as the limit leaves beside the picture's rows and alpha, so
// that every picture those decoders took before is still admitted, while a shared
// budget counts up to a whole picture's limit for it.
uint64_t WorkingBytesWithinLimit(const DecodeCost& cost, uint64_t working, uint64_t limit);

// Decides, for a picture's user, whether a decoding may go ahead once its cost is
// known: set on a picture (Picture::SetDecodeAdmission) by a caller that shares its
// memory between pictures decoded at the same time. It may wait for memory.
class DecodeAdmission {
  public:
    virtual ~DecodeAdmission() = default;
    // True to go ahead; false, with `picture`'s error set to the reason, to refuse.
    virtual bool Admit(const DecodeCost& cost, Picture& picture) = 0;
};
