#include "slideshow/picture_to_show.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include <vector>

#include "image/codecs/exif_reader.h"
#include "image/image_format.h"
#include "image/image_stream.h"
#include "image/ops/picture_orientation.h"
#include "image/picture.h"
#include "slideshow/picture_size_text.h"

namespace {

// A JPEG's frame header follows its tables and application segments; a file that
// has not reached it after this many segments is not worth searching further.
constexpr int kMaxJpegSegments = 1024;
constexpr int32_t kLargestSide = INT32_MAX;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

template <size_t N>
bool ReadBytes(std::FILE* file, std::array<uint8_t, N>& bytes) {
    return std::fread(bytes.data(), 1, N, file) == N;
}

uint32_t BigEndian16(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 8) | bytes[1];
}

uint32_t BigEndian32(const uint8_t* bytes) {
    return (BigEndian16(bytes) << 16) | BigEndian16(bytes + 2);
}

std::optional<PictureHeaderSize> SizeOf(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) {
        return std::nullopt;
    }
    return PictureHeaderSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

// The start-of-frame markers: C0-CF but C4 (Huffman tables), C8 (reserved) and CC
// (arithmetic conditioning).
bool IsFrameHeader(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The EXIF orientation in an APP1 segment's body of `length` bytes, or nothing for an
// APP1 of another kind (XMP); the file is left after the body, and `readable` says
// whether the body was there.
std::optional<uint8_t> ReadExifOrientation(std::FILE* file, uint32_t length, bool& readable) {
    std::vector<uint8_t> body(length);
    readable = std::fread(body.data(), 1, length, file) == length;
    ExifReader exif;
    if (!readable || !exif.ParseApp1(body.data(), body.size())) {
        return std::nullopt;
    }
    return exif.GetOrientation();
}

// Walks the segments after the start of image up to the first frame header; with
// `upright`, the sides of a picture whose first EXIF block says it is stored a
// quarter turn away come swapped.
std::optional<PictureHeaderSize> ReadJpegSize(std::FILE* file, bool upright) {
    uint8_t orientation = 1;
    bool exifSeen = false;
    for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
        int c = std::fgetc(file);
        if (c != 0xFF) {
            return std::nullopt;
        }
        while (c == 0xFF) {  // fill bytes may pad a marker
            c = std::fgetc(file);
        }
        if (c == EOF) {
            return std::nullopt;
        }
        const auto marker = static_cast<uint8_t>(c);
        if (marker == 0xD9 || marker == 0xDA) {  // end of image, or scan data: no frame
            return std::nullopt;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue;  // markers without a length
        }
        std::array<uint8_t, 2> length{};
        if (!ReadBytes(file, length) || BigEndian16(length.data()) < 2) {
            return std::nullopt;
        }
        if (IsFrameHeader(marker)) {
            std::array<uint8_t, 5> frame{};  // precision, height, width
            if (!ReadBytes(file, frame)) {
                return std::nullopt;
            }
            const uint32_t width = BigEndian16(frame.data() + 3);
            const uint32_t height = BigEndian16(frame.data() + 1);
            return OrientationSwapsSides(orientation) ? SizeOf(height, width)
                                                      : SizeOf(width, height);
        }
        // The first EXIF block is the one the decoder reads.
        if (upright && marker == 0xE1 && !exifSeen) {
            bool readable = false;
            const std::optional<uint8_t> exif =
                ReadExifOrientation(file, BigEndian16(length.data()) - 2u, readable);
            if (!readable) {
                return std::nullopt;
            }
            exifSeen = exif.has_value();
            orientation = exif.value_or(1);
            continue;
        }
        if (std::fseek(file, static_cast<long>(BigEndian16(length.data())) - 2, SEEK_CUR) != 0) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The signature's last bytes, then the IHDR chunk: length 13, its type, width, height.
std::optional<PictureHeaderSize> ReadPngSize(std::FILE* file) {
    constexpr std::array<uint8_t, 6> kSignatureRest{'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::array<uint8_t, 6 + 16> bytes{};
    if (!ReadBytes(file, bytes) ||
        !std::equal(kSignatureRest.begin(), kSignatureRest.end(), bytes.begin())) {
        return std::nullopt;
    }
    const uint8_t* chunk = bytes.data() + 6;
    if (BigEndian32(chunk) != 13 || chunk[4] != 'I' || chunk[5] != 'H' || chunk[6] != 'D' ||
        chunk[7] != 'R') {
        return std::nullopt;
    }
    return SizeOf(BigEndian32(chunk + 8), BigEndian32(chunk + 12));
}

}  // namespace

std::optional<PictureHeaderSize> ReadPictureHeaderSize(const std::string& path, bool upright) {
    const File file(OpenRegularFileForReading(path.c_str()).file);
    if (!file) {
        return std::nullopt;
    }
    std::array<uint8_t, 2> start{};
    if (!ReadBytes(file.get(), start)) {
        return std::nullopt;
    }
    if (start[0] == 0xFF && start[1] == 0xD8) {
        return ReadJpegSize(file.get(), upright);
    }
    if (start[0] == 0x89 && start[1] == 'P') {
        return ReadPngSize(file.get());
    }
    return std::nullopt;
}

ShownPicture LoadPictureForArea(const std::string& path, int32_t areaWidth, int32_t areaHeight,
                                std::optional<PictureHeaderSize> headerSize,
                                const std::atomic<bool>* stop, bool upright) {
    ShownPicture shown;
    shown.sizeText = PictureSizeText(0, 0);
    auto picture = std::make_shared<Picture>(kFormatUnknown);
    picture->SetStopFlag(stop);
    if (headerSize && areaWidth > 0 && areaHeight > 0) {
        picture->SetDecodeSizeHint(DecodeSizeHint{
            static_cast<uint32_t>(areaWidth), static_cast<uint32_t>(areaHeight), false, upright});
    }
    if (!picture->Load(path.c_str(), kFormatUnknown) || (upright && !TurnUpright(*picture))) {
        return shown;
    }
    const int32_t width =
        headerSize ? headerSize->width : static_cast<int32_t>(picture->GetWidth());
    const int32_t height =
        headerSize ? headerSize->height : static_cast<int32_t>(picture->GetHeight());
    // Drawing stretches the picture over the area on the window's thread: a picture
    // larger than the area is brought to the area's size here, so that drawing it
    // there costs what a small picture costs.
    if (areaWidth > 0 && areaHeight > 0 &&
        (picture->GetWidth() > static_cast<uint32_t>(areaWidth) ||
         picture->GetHeight() > static_cast<uint32_t>(areaHeight)) &&
        !picture->Resample(areaWidth, areaHeight)) {
        return shown;
    }
    picture->SetStopFlag(nullptr);
    shown.width = width;
    shown.height = height;
    shown.sizeText = PictureSizeText(shown.width, shown.height);
    shown.picture = std::move(picture);
    return shown;
}
