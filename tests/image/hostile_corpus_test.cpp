// Every decoder against damaged, truncated and absurd files: each must either refuse
// the file with a message or deliver a consistent picture, and never crash (the
// sanitizer build turns any stray read or write into a failure).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder, bool picturesOnly) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) {
        return files;
    }
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string extension = entry.path().extension().string();
        if (extension == ".py" || extension == ".sh" || extension == ".md") {
            continue;
        }
        if (picturesOnly && (extension == ".ppm" || extension == ".pgm" || extension == ".txt")) {
            continue;
        }
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

const fs::path kCorpus = fs::path(REELWRIGHT_TEST_DATA_DIR) / "corpus";

constexpr uint32_t kNamedTypes[] = {kFormatBmp, kFormatJpeg, kFormatIco,  kFormatGif,
                                    kFormatPng, kFormatTga,  kFormatWebp, kFormatHeif};

// Detection gives up with "unknown" or with the reason of one of the decoders.
bool IsADetectionRefusal(const std::vector<uint8_t>& bytes, const std::string& error) {
    if (error == "Decode: Unknown or wrong format") {
        return true;
    }
    for (uint32_t type : kNamedTypes) {
        MemoryImageStream stream(bytes.data(), bytes.size());
        Picture picture;
        if (!picture.Decode(&stream, type) && error == picture.GetLastError()) {
            return true;
        }
    }
    return false;
}

// Decodes the bytes with one type code and checks what came out; returns a
// description of what went wrong, or an empty string.
std::string DecodeAndCheck(const std::vector<uint8_t>& bytes, uint32_t type) {
    MemoryImageStream stream(bytes.data(), bytes.size());
    Picture picture;
    const bool decoded = picture.Decode(&stream, type);
    const std::string error = picture.GetLastError();
    if (!decoded) {
        if (picture.IsValid()) {
            return "refused but left a bitmap";
        }
        if (type == kFormatUnknown && !IsADetectionRefusal(bytes, error)) {
            return "type 0 refused with \"" + error + "\"";
        }
        // The ICO and GIF decoders refuse foreign data without a message of their own.
        if (type != kFormatIco && type != kFormatGif && error.empty()) {
            return "refused without a message";
        }
        return "";
    }
    if (!picture.IsValid()) {
        return "";  // an icon whose PNG entry failed: nothing to see
    }
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    const uint32_t bpp = picture.GetBpp();
    if (width == 0 || height == 0) {
        return "decoded an empty picture";
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) {
        return "bpp " + std::to_string(bpp);
    }
    const uint64_t colors = bpp == 24 ? 0 : (1u << bpp);
    const uint64_t rowBytes = (static_cast<uint64_t>(bpp) * width + 31) / 32 * 4;
    if (picture.GetNumColors() != colors || picture.GetEffectiveWidth() != rowBytes ||
        picture.GetDibSize() != 40 + 4 * colors + rowBytes * height) {
        return "inconsistent layout";
    }
    if (rowBytes * height > kPictureMaxMemory) {
        return "past the memory limit";
    }
    // Touch both ends of the pixel rows and the alpha plane.
    volatile uint8_t sink = picture.GetBits(0)[0];
    sink = picture.GetBits(height - 1)[rowBytes - 1];
    if (picture.HasAlpha()) {
        sink = picture.GetAlphaPlane()[0];
        sink = picture.GetAlphaPlane()[static_cast<size_t>(width) * height - 1];
    }
    (void)sink;
    // The 24-bit form may be refused only when it would pass the memory limit.
    const uint64_t wideBytes = (24ull * width + 31) / 32 * 4 * height;
    if (!picture.IsGrayScale() && !picture.IncreaseBpp(24) && wideBytes <= kPictureMaxMemory) {
        return "no 24-bit conversion";
    }
    return "";
}

constexpr uint32_t kAllTypes[] = {kFormatUnknown, kFormatBmp, kFormatJpeg, kFormatIco,
                                  kFormatGif,     kFormatPng, kFormatTga,  kFormatWebp,
                                  kFormatHeif,    kFormatAvif};

TEST(HostileCorpus, HoldsAtLeastThreeHundredFilesOfEveryFormat) {
    const std::vector<fs::path> files = FilesIn(kCorpus, false);
    EXPECT_GE(files.size(), 300u);
    for (const char* prefix :
         {"bmp_", "jpeg_", "ico_", "gif_", "png_", "tga_", "webp_", "heif_", "avif_", "random_"}) {
        const auto count = std::count_if(files.begin(), files.end(), [&](const fs::path& p) {
            return p.filename().string().rfind(prefix, 0) == 0;
        });
        EXPECT_GE(count, 20) << prefix;
    }
}

TEST(HostileCorpus, EveryDecoderRefusesOrDeliversACleanPicture) {
    const std::vector<fs::path> files = FilesIn(kCorpus, false);
    ASSERT_FALSE(files.empty());
    std::vector<std::pair<double, std::string>> slowest;
    for (const fs::path& file : files) {
        const std::vector<uint8_t> bytes = ReadFileBytes(file);
        const auto start = std::chrono::steady_clock::now();
        for (uint32_t type : kAllTypes) {
            const std::string fault = DecodeAndCheck(bytes, type);
            EXPECT_EQ(fault, "") << file.filename() << " type " << type;
        }
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        slowest.emplace_back(spent.count(), file.filename().string());
    }
    // Not asserted (machines differ), but a file that takes long is worth a look.
    std::sort(slowest.rbegin(), slowest.rend());
    for (size_t i = 0; i < std::min<size_t>(12, slowest.size()); ++i) {
        std::cout << "slowest: " << slowest[i].second << " " << slowest[i].first << " s\n";
    }
}

TEST(HostileCorpus, LoadingFromDiskAgreesWithDecodingFromMemory) {
    for (const fs::path& file : FilesIn(kCorpus, false)) {
        const std::vector<uint8_t> bytes = ReadFileBytes(file);
        MemoryImageStream stream(bytes.data(), bytes.size());
        Picture fromMemory;
        const bool decodedFromMemory = fromMemory.Decode(&stream, kFormatUnknown);
        Picture fromDisk;
        const bool decodedFromDisk = fromDisk.Load(file.c_str(), kFormatUnknown);
        ASSERT_EQ(decodedFromDisk, decodedFromMemory) << file.filename();
        EXPECT_STREQ(fromDisk.GetLastError(), fromMemory.GetLastError()) << file.filename();
        if (fromDisk.IsValid() && fromMemory.IsValid()) {
            ASSERT_EQ(fromDisk.GetDibSize(), fromMemory.GetDibSize()) << file.filename();
        }
    }
}

// The fixtures of every format, cut short at many points, fail cleanly too.
TEST(HostileCorpus, TruncatedFixturesAreRefusedOrDecodedSafely) {
    size_t tried = 0;
    for (const char* folder : {"bmp", "jpeg", "ico", "gif", "png", "tga", "webp", "heif", "avif"}) {
        for (const fs::path& file : FilesIn(fs::path(REELWRIGHT_TEST_DATA_DIR) / folder, true)) {
            const std::vector<uint8_t> whole = ReadFileBytes(file);
            for (size_t step = 1; step <= 16; ++step) {
                const size_t cut = whole.size() * step / 17;
                const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + cut);
                for (uint32_t type : kAllTypes) {
                    EXPECT_EQ(DecodeAndCheck(bytes, type), "")
                        << file.filename() << " cut at " << cut << " type " << type;
                }
                ++tried;
            }
        }
    }
    std::cout << "truncated fixtures tried: " << tried << "\n";
}

}  // namespace
