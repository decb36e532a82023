// What the WebP and HEIF tests share. The outside decoders they compare with: dwebp
// (libwebp's own), heif-convert (libheif's own; its PNG read back through ImageMagick
// as PAM) and avifdec (libavif: another library's colour conversion); each writes a
// Netpbm picture into a scratch folder, and CompareWithReference says where a decoded
// picture differs from one. And a table of files a decoder must refuse.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/image_test_support.h"
#include "image/picture.h"
#include "support/netpbm_file.h"
#include "support/outside_programs.h"

namespace image_test {

using test_support::NetpbmPicture;

// dwebp's decoding, with alpha (PAM) or without (PPM).
inline NetpbmPicture DecodeWithDwebp(const std::string& path, const std::string& folder,
                                     bool alpha) {
    const std::string output = folder + (alpha ? "/dwebp.pam" : "/dwebp.ppm");
    if (test_support::RunProgramToFile(
            {"dwebp", "-quiet", alpha ? "-pam" : "-ppm", path, "-o", output}) != 0) {
        return {};
    }
    return test_support::ReadNetpbmFile(output);
}

// A PNG as PAM through ImageMagick, keeping 16-bit samples and alpha.
inline NetpbmPicture ReadPngThroughImageMagick(const std::string& png, const std::string& folder) {
    const std::string pam = folder + "/png.pam";
    if (test_support::RunProgramToFile({"convert", png, pam}) != 0) {
        return {};
    }
    return test_support::ReadNetpbmFile(pam);
}

// heif-convert's decoding of every top-level image of the file, in the file's order
// (a file of several images gives out-1.png, out-2.png, ...).
inline std::vector<NetpbmPicture> DecodeWithHeifConvert(const std::string& path,
                                                        const std::string& folder) {
    const std::string png = folder + "/heif.png";
    if (test_support::RunProgramToFile({"heif-convert", path, png}) != 0) {
        return {};
    }
    NetpbmPicture single = ReadPngThroughImageMagick(png, folder);
    if (single.Valid()) {
        return {single};
    }
    std::vector<NetpbmPicture> pictures;
    for (int i = 1;; ++i) {
        NetpbmPicture each =
            ReadPngThroughImageMagick(folder + "/heif-" + std::to_string(i) + ".png", folder);
        if (!each.Valid()) {
            return pictures;
        }
        pictures.push_back(each);
    }
}

// avifdec's decoding (8 bits a sample).
inline NetpbmPicture DecodeWithAvifdec(const std::string& path, const std::string& folder) {
    const std::string png = folder + "/avifdec.png";
    if (test_support::RunProgramToFile({"avifdec", "--depth", "8", path, png}) != 0) {
        return {};
    }
    return ReadPngThroughImageMagick(png, folder);
}

// A sample of `bits` significant bits brought to 8 by rounding: a 16-bit sample holds
// the value in its top bits, as heif-convert writes it.
inline int ReferenceToEightBits(const NetpbmPicture& reference, uint16_t sample, int bits) {
    if (reference.maximum == 255) {
        return sample;
    }
    const int value = sample >> (16 - bits);
    return static_cast<int>(std::lround(value * 255.0 / ((1 << bits) - 1)));
}

// Where the picture's colours (and its alpha plane, when the reference has alpha)
// differ from the reference's by more than `tolerance`, with the largest difference;
// empty when they agree. `bits` is how many bits the reference's samples carry.
inline std::string CompareWithReference(const Picture& picture, const NetpbmPicture& reference,
                                        int bits = 8, int tolerance = 0) {
    if (!reference.Valid() || reference.channels < 3) {
        return "no reference picture";
    }
    if (static_cast<int>(picture.GetWidth()) != reference.width ||
        static_cast<int>(picture.GetHeight()) != reference.height) {
        return "size " + std::to_string(picture.GetWidth()) + "x" +
               std::to_string(picture.GetHeight()) + ", reference " +
               std::to_string(reference.width) + "x" + std::to_string(reference.height);
    }
    const bool alpha = reference.channels == 4;
    if (alpha != picture.HasAlpha()) {
        return alpha ? "no alpha plane" : "an alpha plane the reference does not have";
    }
    int worst = 0;
    int mismatches = 0;
    std::string first;
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const Rgb colour = ColorFromTop(picture, x, y);
            const int got[4] = {colour.red, colour.green, colour.blue,
                                alpha ? AlphaFromTop(picture, x, y) : 255};
            for (int c = 0; c < reference.channels; ++c) {
                const int expected =
                    ReferenceToEightBits(reference, reference.Sample(x, y, c), bits);
                const int difference = std::abs(got[c] - expected);
                worst = std::max(worst, difference);
                if (difference > tolerance && mismatches++ == 0) {
                    first = "channel " + std::to_string(c) + " at " + std::to_string(x) + ", " +
                            std::to_string(y) + ": " + std::to_string(got[c]) + " instead of " +
                            std::to_string(expected);
                }
            }
        }
    }
    if (mismatches == 0) {
        return "";
    }
    return std::to_string(mismatches) + " samples off by more than " + std::to_string(tolerance) +
           " (at most " + std::to_string(worst) + "), first " + first;
}

// A file a decoder must refuse, and the reason it must give.
struct Refusal {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* error;
};

template <typename Decoder>
void ExpectEachRefused(const std::vector<Refusal>& refusals) {
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        Decoder picture;
        EXPECT_FALSE(DecodeBytes(picture, refusal.bytes));
        EXPECT_FALSE(picture.IsValid());
        EXPECT_STREQ(picture.GetLastError(), refusal.error);
    }
}

}  // namespace image_test
