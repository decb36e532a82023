// HEIF decoding through libheif. libheif reads the file through the stream (a reader
// of callbacks, positions counted from where the stream stood), decodes the primary
// image with the file's rotation, mirroring and cropping applied (they define the
// picture in HEIF, unlike the EXIF orientation of a JPEG, which is a hint), and
// converts it to interleaved RGB, with alpha when the file has an alpha image. The
// rows are copied into the picture bottom row first in blue-green-red order, the
// alpha to the alpha plane; samples of 10 or 12 bits are rounded to 8.
//
// Bounds: the picture's rows and libheif's RGB image are checked against the memory
// limit before anything is decoded; libheif's own limit on every image item of the
// file (tiles, alpha images, thumbnails) holds each side to the square root of the
// memory limit, so no plane of such an item holds more samples than the limit has
// bytes. A stop request makes the reader fail, which ends libheif's decode at its
// next read (the tiles of a grid are read one by one).
#include "image/codecs/picture_heif.h"

#include <libheif/heif.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/byte_order.h"
#include "image/decode_cost.h"
#include "image/image_stream.h"
#include "image/stream_reader.h"

namespace {

// The brands of the file type box that make a file this decoder's.
constexpr std::array<std::string_view, 5> kHevcBrands = {"heic", "heix", "hevc", "heim", "heis"};
constexpr std::array<std::string_view, 2> kAv1Brands = {"avif", "avis"};
constexpr std::array<std::string_view, 2> kGenericBrands = {"mif1", "msf1"};
// No real file lists more compatible brands than a handful.
constexpr uint64_t kMaxBrandsRead = 64;
// libheif's own limit on an image item's width and height.
constexpr uint64_t kLibheifSideLimit = 32768;
constexpr int kBitsPerSample = 8;

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

bool IsOneOf(std::string_view brand, const auto& brands) {
    return std::find(brands.begin(), brands.end(), brand) != brands.end();
}

// What the file type box says: whether the file is HEIF at all, and whether its
// pictures are AV1-coded (AVIF).
struct FileType {
    bool heif = false;
    bool avif = false;
};

// Reads the file type box that must open the file: its size, "ftyp", the major brand,
// a version and the compatible brands. The file is AVIF when its major brand is an
// AV1 one, or when it names an AV1 brand and no HEVC brand.
FileType ReadFileType(ImageStream& file) {
    StreamReader reader(file);
    uint8_t box[8];
    if (!reader.ReadBytes(box, sizeof box) || std::memcmp(box + 4, "ftyp", 4) != 0) {
        return {};
    }
    uint64_t size = LoadU32BE(box);
    uint64_t headerSize = sizeof box;
    if (size == 1) {  // the size follows as 64 bits
        uint8_t large[8];
        if (!reader.ReadBytes(large, sizeof large)) {
            return {};
        }
        size = (uint64_t{LoadU32BE(large)} << 32) | LoadU32BE(large + 4);
        headerSize += sizeof large;
    }
    if (size < headerSize + 8) {
        return {};
    }
    uint8_t major[4];
    uint8_t version[4];
    if (!reader.ReadBytes(major, sizeof major) || !reader.ReadBytes(version, sizeof version)) {
        return {};
    }
    const std::string_view majorBrand(reinterpret_cast<const char*>(major), 4);
    bool hevc = IsOneOf(majorBrand, kHevcBrands);
    bool av1 = IsOneOf(majorBrand, kAv1Brands);
    bool generic = IsOneOf(majorBrand, kGenericBrands);
    const uint64_t compatibleCount = std::min((size - headerSize - 8) / 4, kMaxBrandsRead);
    for (uint64_t i = 0; i < compatibleCount; ++i) {
        uint8_t brandBytes[4];
        if (!reader.ReadBytes(brandBytes, sizeof brandBytes)) {
            break;
        }
        const std::string_view brand(reinterpret_cast<const char*>(brandBytes), 4);
        hevc = hevc || IsOneOf(brand, kHevcBrands);
        av1 = av1 || IsOneOf(brand, kAv1Brands);
        generic = generic || IsOneOf(brand, kGenericBrands);
    }
    FileType type;
    type.heif = hevc || av1 || generic;
    type.avif = IsOneOf(majorBrand, kAv1Brands) || (av1 && !hevc);
    return type;
}

// libheif's view of the stream: positions count from where the stream stood when
// decoding began.
struct StreamSource {
    ImageStream* stream = nullptr;
    Picture* picture = nullptr;
    int64_t start = 0;
    int64_t size = 0;  // bytes from the start to the end of the stream
};

int64_t SourcePosition(void* userData) {
    auto* source = static_cast<StreamSource*>(userData);
    return source->stream->Tell() - source->start;
}

// 0 on success, as libheif wants. A raised stop flag fails every read from then on.
int SourceRead(void* data, size_t size, void* userData) {
    auto* source = static_cast<StreamSource*>(userData);
    if (source->picture->GetEscape() != 0) {
        return -1;
    }
    return source->stream->Read(data, 1, size) == size ? 0 : -1;
}

int SourceSeek(int64_t position, void* userData) {
    auto* source = static_cast<StreamSource*>(userData);
    if (position < 0 || position > source->size) {
        return -1;
    }
    return source->stream->Seek(source->start + position, SEEK_SET) ? 0 : -1;
}

heif_reader_grow_status SourceWaitForSize(int64_t targetSize, void* userData) {
    auto* source = static_cast<StreamSource*>(userData);
    return targetSize <= source->size ? heif_reader_grow_status_size_reached
                                      : heif_reader_grow_status_size_beyond_eof;
}

constexpr heif_reader kStreamReader = {1, SourcePosition, SourceRead, SourceSeek,
                                       SourceWaitForSize};

// libheif registers its decoders once per process; its own lazy start is not safe
// for pictures decoded on several threads at once.
void StartLibheifOnce() {
    static const bool started = [] {
        heif_init(nullptr);
        return true;
    }();
    (void)started;
}

// Rows of libheif's interleaved samples (red, green, blue, and alpha when `alpha` is
// not null) into a stored row (blue, green, red) and the alpha plane's row.
void CopyEightBitRow(const uint8_t* source, uint8_t* target, uint8_t* alpha, uint32_t width) {
    if (alpha == nullptr) {
        for (uint32_t x = 0; x < width; ++x, source += 3, target += 3) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
        }
        return;
    }
    for (uint32_t x = 0; x < width; ++x, source += 4, target += 3) {
        target[0] = source[2];
        target[1] = source[1];
        target[2] = source[0];
        alpha[x] = source[3];
    }
}

// Deeper samples, 16-bit little-endian words, go through `eightBits`, the table of
// every word's 8-bit value.
void CopyDeepRow(const uint8_t* source, uint8_t* target, uint8_t* alpha, uint32_t width,
                 const std::vector<uint8_t>& eightBits) {
    const uint32_t channels = alpha != nullptr ? 4 : 3;
    for (uint32_t x = 0; x < width; ++x, source += 2 * channels, target += 3) {
        target[0] = eightBits[LoadU16LE(source + 4)];
        target[1] = eightBits[LoadU16LE(source + 2)];
        target[2] = eightBits[LoadU16LE(source)];
        if (alpha != nullptr) {
            alpha[x] = eightBits[LoadU16LE(source + 6)];
        }
    }
}

// Every 16-bit word's value as a sample of `bits` bits rounded to 8 bits:
// v x 255 / (2^bits - 1), to the nearest; words past the largest value count as it.
std::vector<uint8_t> EightBitTable(int bits) {
    const uint32_t maximum = (uint32_t{1} << bits) - 1;
    std::vector<uint8_t> table(65536);
    for (uint32_t value = 0; value < table.size(); ++value) {
        table[value] =
            static_cast<uint8_t>((std::min(value, maximum) * 255 + maximum / 2) / maximum);
    }
    return table;
}

class HeifDecoder {
  public:
    HeifDecoder(Picture& picture, ImageStream& file, uint32_t type)
        : picture_(picture), file_(file), type_(type) {}
    bool Run();

  private:
    bool Open();
    bool CheckSize();
    bool DecodeImage();
    bool CopyRows();
    bool Fail(PictureError error) {
        picture_.SetError(error);
        return false;
    }
    // libheif's reason (without the line break some of its messages end in), or
    // "Cancelled" when the stop request made it fail.
    bool FailWith(const heif_error& error) {
        if (picture_.GetEscape() != 0) {
            return Fail(PictureError::kCancelled);
        }
        std::string_view message = error.message != nullptr ? error.message : "";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
            message.remove_suffix(1);
        }
        const std::string text(message.empty() ? "libheif failed" : message);
        picture_.SetError(PictureError::kCodecLibrary, text.c_str());
        return false;
    }

    Picture& picture_;
    ImageStream& file_;
    uint32_t type_;
    StreamSource source_;
    // Released in the opposite order: the image, the handle, then the context.
    std::unique_ptr<heif_context, ContextDeleter> context_;
    std::unique_ptr<heif_image_handle, HandleDeleter> handle_;
    std::unique_ptr<heif_image, ImageDeleter> image_;
    bool alpha_ = false;
    bool highBitDepth_ = false;
};

bool HeifDecoder::Run() {
    return Open() && CheckSize() && DecodeImage() && CopyRows();
}

bool HeifDecoder::Open() {
    StartLibheifOnce();
    source_.stream = &file_;
    source_.picture = &picture_;
    source_.start = file_.Tell();
    source_.size = std::max<int64_t>(file_.Size() - source_.start, 0);
    context_.reset(heif_context_alloc());
    if (!context_) {
        return Fail(PictureError::kOutOfMemory);
    }
    const uint64_t side = std::clamp<uint64_t>(
        static_cast<uint64_t>(std::sqrt(static_cast<double>(picture_.GetMemoryLimit()))), 1,
        kLibheifSideLimit);
    heif_context_set_maximum_image_size_limit(context_.get(), static_cast<int>(side));
    heif_error error =
        heif_context_read_from_reader(context_.get(), &kStreamReader, &source_, nullptr);
    if (error.code != heif_error_Ok) {
        return FailWith(error);
    }
    heif_image_handle* handle = nullptr;
    error = heif_context_get_primary_image_handle(context_.get(), &handle);
    handle_.reset(handle);
    if (error.code != heif_error_Ok) {
        return FailWith(error);
    }
    return true;
}

// Before any pixel is decoded: the picture's rows and libheif's RGB image of it must
// each fit the memory limit, and the picture's user admit their cost.
bool HeifDecoder::CheckSize() {
    const int width = heif_image_handle_get_width(handle_.get());
    const int height = heif_image_handle_get_height(handle_.get());
    if (width <= 0 || height <= 0) {
        return Fail(PictureError::kEmptySize);
    }
    alpha_ = heif_image_handle_has_alpha_channel(handle_.get()) != 0;
    highBitDepth_ = heif_image_handle_get_luma_bits_per_pixel(handle_.get()) > kBitsPerSample;
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    const uint64_t rgbBytes = pixels * (alpha_ ? 4 : 3) * (highBitDepth_ ? 2 : 1);
    const uint64_t limit = picture_.GetMemoryLimit();
    if (DibRowBytes(width, 24) * uint64_t(height) > limit || rgbBytes > limit) {
        return Fail(PictureError::kMemoryLimit);
    }
    DecodeCost cost{static_cast<uint32_t>(width), static_cast<uint32_t>(height), 24, alpha_};
    cost.workingBytes = WorkingBytesWithinLimit(cost, rgbBytes, limit);
    return picture_.AdmitDecode(cost);
}

bool HeifDecoder::DecodeImage() {
    if (picture_.GetEscape() != 0) {
        return Fail(PictureError::kCancelled);
    }
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(
        heif_decoding_options_alloc());
    if (!options) {
        return Fail(PictureError::kOutOfMemory);
    }
    options->ignore_transformations = 0;
    options->convert_hdr_to_8bit = 0;  // the rounding to 8 bits is done here
    const heif_chroma chroma =
        highBitDepth_
            ? (alpha_ ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
            : (alpha_ ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image* image = nullptr;
    const heif_error error =
        heif_decode_image(handle_.get(), &image, heif_colorspace_RGB, chroma, options.get());
    image_.reset(image);
    if (error.code != heif_error_Ok) {
        return FailWith(error);
    }
    if (!image_) {
        return Fail(PictureError::kOutOfMemory);
    }
    return true;
}

bool HeifDecoder::CopyRows() {
    int stride = 0;
    const uint8_t* plane =
        heif_image_get_plane_readonly(image_.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image_.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image_.get(), heif_channel_interleaved);
    const int bits = heif_image_get_bits_per_pixel_range(image_.get(), heif_channel_interleaved);
    const uint32_t channels = alpha_ ? 4 : 3;
    const uint32_t sampleBytes = highBitDepth_ ? 2 : 1;
    if (plane == nullptr || width <= 0 || height <= 0 || bits < kBitsPerSample || bits > 16 ||
        uint64_t(stride) < uint64_t(width) * channels * sampleBytes) {
        picture_.SetError(PictureError::kCodecLibrary, "libheif gave no usable image");
        return false;
    }
    if (picture_.Create(width, height, 24, type_) == nullptr) {
        return false;
    }
    if (alpha_ && !picture_.CreateAlpha()) {
        return Fail(PictureError::kOutOfMemory);
    }
    const std::vector<uint8_t> eightBits =
        highBitDepth_ ? EightBitTable(bits) : std::vector<uint8_t>();
    for (int y = 0; y < height; ++y) {
        if (picture_.GetEscape() != 0) {
            return Fail(PictureError::kCancelled);
        }
        const uint64_t storedRow = uint64_t(height) - 1 - y;
        const uint8_t* source = plane + uint64_t(y) * uint64_t(stride);
        uint8_t* target = picture_.GetBits(static_cast<uint32_t>(storedRow));
        uint8_t* alpha = alpha_ ? picture_.GetAlphaPlane() + storedRow * width : nullptr;
        if (highBitDepth_) {
            CopyDeepRow(source, target, alpha, width, eightBits);
        } else {
            CopyEightBitRow(source, target, alpha, width);
        }
    }
    return true;
}

}  // namespace

bool PictureHEIF::Decode(ImageStream* file) {
    if (file == nullptr) {
        SetError(PictureError::kNullFile);
        return false;
    }
    // Foreign files are turned away by their file type box before libheif is set up:
    // content detection offers every file to this decoder.
    const int64_t start = file->Tell();
    const FileType fileType = ReadFileType(*file);
    if (!fileType.heif) {
        SetError(PictureError::kNotHeif);
        return false;
    }
    SetFormatRecognition(FormatRecognition::kStrong);
    if (!file->Seek(start, SEEK_SET)) {
        SetError(PictureError::kReadError);
        return false;
    }
    const bool decoded = HeifDecoder(*this, *file, fileType.avif ? kFormatAvif : kFormatHeif).Run();
    if (!decoded) {
        Destroy();
    }
    return decoded;
}
