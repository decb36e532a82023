// The code paths the fuzz targets drive, shared with the test that replays their
// committed corpora (tests/image/fuzz_corpus_replay_test.cpp), so that every input
// the fuzzer kept runs through the very same calls in the normal test suite.
//
// One target per decoder, each decoding the bytes as its format alone (HEIF and AVIF
// share their decoder but not their seeds: the fuzzer then works on HEVC- and
// AV1-coded files apart), and one for the whole road of a picture into a movie frame:
// found by content, turned upright when asked, brought to 24 bits unless grey, fitted
// to a small frame (stretched, contained or covering) and saved as a JPEG, with the
// movie's options drawn from the input's last bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/image_stream.h"
#include "image/ops/picture_fit.h"
#include "image/ops/picture_orientation.h"
#include "image/picture.h"

namespace fuzz_paths {

// The fuzzed pictures' memory limit: large enough for every path of every decoder,
// small enough that an input claiming a huge picture is refused at once instead of
// costing a quarter of a gigabyte of cleared memory.
inline constexpr uint64_t kMemoryLimit = uint64_t{4} << 20;
inline constexpr uint32_t kFrameWidth = 64;
inline constexpr uint32_t kFrameHeight = 48;

// What is wrong with a picture a decoder delivered, or an empty text. The first and
// last bytes of its rows and alpha plane are read, so the sanitizers see a block or
// plane shorter than its measures.
inline std::string CheckPicture(const Picture& picture) {
    if (!picture.IsValid()) {
        return "reported success without a picture";
    }
    const uint64_t width = picture.GetWidth();
    const uint64_t height = picture.GetHeight();
    const uint32_t bpp = picture.GetBpp();
    if (width == 0 || height == 0 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)) {
        return "impossible measures";
    }
    const uint64_t colors = bpp == 24 ? 0 : uint64_t{1} << bpp;
    const uint64_t rowBytes = DibRowBytes(width, bpp);
    if (picture.GetNumColors() != colors || picture.GetEffectiveWidth() != rowBytes ||
        picture.GetDibSize() != kBitmapInfoHeaderSize + 4 * colors + rowBytes * height) {
        return "inconsistent layout";
    }
    if (rowBytes * height > picture.GetMemoryLimit()) {
        return "past the memory limit";
    }
    volatile uint8_t sink = picture.GetDib()[0];
    sink = picture.GetBits(static_cast<uint32_t>(height - 1))[rowBytes - 1];
    if (picture.HasAlpha()) {
        sink = picture.GetAlphaPlane()[0];
        sink = picture.GetAlphaPlane()[width * height - 1];
    }
    (void)sink;
    return "";
}

// Decodes the bytes as one format and checks what decodes. (What comes after
// decoding is the frame path's business: a decoder's target spends its time in the
// decoder.)
inline std::string DecodeOneFormat(uint32_t type, const uint8_t* data, size_t size) {
    MemoryImageStream stream(data, size);
    Picture picture;
    picture.SetMemoryLimit(kMemoryLimit);
    if (!picture.Decode(&stream, type)) {
        return picture.IsValid() ? "refused but left a picture" : "";
    }
    return CheckPicture(picture);
}

// A movie's options, drawn from the input's last two bytes, so that the fuzzer varies
// them as it varies the picture (a picture's decoders read nothing there that
// matters): upright, the fit, a background colour and a quality of 1 to 100.
struct FrameOptions {
    bool upright = false;
    PictureFit fit = PictureFit::kStretch;
    RgbQuad background;
    uint8_t quality = 80;
};

inline FrameOptions DrawFrameOptions(const uint8_t* data, size_t size) {
    const uint8_t last = size > 0 ? data[size - 1] : 0;
    const uint8_t before = size > 1 ? data[size - 2] : 0;
    return {(last & 1) != 0, static_cast<PictureFit>((last >> 1) % 3),
            RgbQuad{last, before, static_cast<uint8_t>(last ^ before), 0},
            static_cast<uint8_t>(1 + before % 100)};
}

// Keeps the largest cost a decoder announced before allocating, so that the frame path
// can check that no decoder holds more than it announced: a build shares its memory
// between pictures by those announcements.
struct AnnouncedCost final : DecodeAdmission {
    bool any = false;
    uint64_t largest = 0;
    bool Admit(const DecodeCost& cost, Picture&) override {
        any = true;
        largest = std::max(largest, DecodeBytes(cost));
        return true;
    }
};

// The road of one picture into a frame of the movie. Inputs of odd length take the
// fast road, with the frame as the decode size hint (reelwright-cli --fast).
inline std::string ProduceFrame(const uint8_t* data, size_t size) {
    const FrameOptions options = DrawFrameOptions(data, size);
    MemoryImageStream stream(data, size);
    Picture picture;
    AnnouncedCost announced;
    picture.SetMemoryLimit(kMemoryLimit);
    picture.SetDecodeAdmission(&announced);
    if (size % 2 == 1) {
        picture.SetDecodeSizeHint(DecodeSizeHint{
            kFrameWidth, kFrameHeight, options.fit == PictureFit::kContain, options.upright});
    }
    if (!picture.Decode(&stream, kFormatUnknown)) {
        return picture.IsValid() ? "refused but left a picture" : "";
    }
    picture.SetDecodeAdmission(nullptr);
    const uint64_t held =
        uint64_t{picture.GetEffectiveWidth()} * picture.GetHeight() +
        (picture.HasAlpha() ? uint64_t{picture.GetWidth()} * picture.GetHeight() : 0);
    if (!announced.any || held > announced.largest) {
        return "decoded more than its decoder announced";
    }
    if (options.upright && !TurnUpright(picture)) {
        return "";
    }
    if (!picture.IsGrayScale() && !picture.IncreaseBpp(24)) {
        return "";
    }
    if (!FitPicture(picture, options.fit, kFrameWidth, kFrameHeight, options.background)) {
        return "";
    }
    std::string fault = CheckPicture(picture);
    if (!fault.empty()) {
        return fault;
    }
    if (picture.GetWidth() != kFrameWidth || picture.GetHeight() != kFrameHeight) {
        return "fitted to the wrong size";
    }
    picture.SetJpegQuality(options.quality);
    MemoryImageStream jpeg;
    if (!picture.Encode(&jpeg, kFormatJpeg) || jpeg.GetWritten().size() < 4) {
        return std::string("frame not saved: ") + picture.GetLastError();
    }
    return "";
}

using Path = std::string (*)(const uint8_t* data, size_t size);

template <uint32_t Type>
std::string DecodeAs(const uint8_t* data, size_t size) {
    return DecodeOneFormat(Type, data, size);
}

struct Target {
    const char* name;  // the fuzzer is <name>_fuzzer, its corpus fuzz/corpus/<name>
    Path path;
};

inline constexpr Target kTargets[] = {
    {"bmp", DecodeAs<kFormatBmp>},   {"jpeg", DecodeAs<kFormatJpeg>},
    {"png", DecodeAs<kFormatPng>},   {"tga", DecodeAs<kFormatTga>},
    {"ico", DecodeAs<kFormatIco>},   {"gif", DecodeAs<kFormatGif>},
    {"webp", DecodeAs<kFormatWebp>}, {"heif", DecodeAs<kFormatHeif>},
    {"avif", DecodeAs<kFormatAvif>}, {"frame", ProduceFrame},
};

}  // namespace fuzz_paths
