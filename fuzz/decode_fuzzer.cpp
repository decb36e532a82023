// Feeds arbitrary bytes to content detection, as a picture list entry would: every
// decoder in turn gets to look at them. Whatever decodes is also converted to 24 bits,
// the next thing the program does with a picture.
#include <cstddef>
#include <cstdint>

#include "image/image_stream.h"
#include "image/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryImageStream stream(data, size);
    Picture picture;
    if (picture.Decode(&stream, kFormatUnknown) && picture.IsValid()) {
        if (!picture.IsGrayScale()) {
            picture.IncreaseBpp(24);
        }
    }
    return 0;
}
