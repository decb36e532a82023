// WebP decoding through libwebp, which decodes from memory: the file is read whole
// (it may be no larger than the picture's memory limit) and handed to libwebp's
// incremental decoder a slice at a time, so that a stop request ends a long decode
// between slices. Pictures without alpha are decoded straight into the stored rows
// (blue, green, red; libwebp writes them bottom row first); pictures with alpha pass
// through one blue-green-red-alpha buffer that is split into the rows and the alpha
// plane, as PNG's alpha is.
//
// An animation gives its first frame as a player shows it before the second: the
// canvas, transparent black, with the frame drawn at its place (the first frame is
// never blended with anything, and the file's background colour is a hint players
// may ignore, as libwebp's own animation decoder does).
#include "image/codecs/picture_webp.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "image/byte_order.h"
#include "image/decode_cost.h"
#include "image/image_stream.h"
#include "image/stream_reader.h"

namespace {

constexpr size_t kRiffHeaderSize = 12;  // "RIFF", the size of what follows, "WEBP"
// What libwebp gets per step of the incremental decoder: a few milliseconds of work.
constexpr size_t kSliceBytes = size_t{256} << 10;
// libwebp holds a lossless picture as 32-bit pixels while it decodes it.
constexpr uint64_t kLosslessWorkingBytesPerPixel = 4;
constexpr uint64_t kBgraBytesPerPixel = 4;

struct IncrementalDecoderDeleter {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};
struct DemuxerDeleter {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};

PictureError ErrorOfStatus(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_OUT_OF_MEMORY:
            return PictureError::kOutOfMemory;
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            return PictureError::kWebpUnsupported;
        case VP8_STATUS_NOT_ENOUGH_DATA:
        case VP8_STATUS_SUSPENDED:
            return PictureError::kWebpTruncated;
        default:
            return PictureError::kWebpCorrupted;
    }
}

// Where one WebP bitstream (a still picture, or an animation's frame) goes in the
// picture; y counts from the top row.
struct Region {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

// Whether the stream starts as a WebP file does; reads the header.
bool ReadRiffHeader(ImageStream& file, uint8_t (&header)[kRiffHeaderSize]) {
    StreamReader reader(file);
    return reader.ReadBytes(header, sizeof header) && std::memcmp(header, "RIFF", 4) == 0 &&
           std::memcmp(header + 8, "WEBP", 4) == 0;
}

class WebpDecoder {
  public:
    WebpDecoder(Picture& picture, ImageStream& file) : picture_(picture), file_(file) {}
    // Decodes the file whose header has been read.
    bool Run(const uint8_t (&header)[kRiffHeaderSize]);

  private:
    bool ReadFile(const uint8_t (&header)[kRiffHeaderSize]);
    bool DecodeStill(const WebPBitstreamFeatures& features);
    bool DecodeFirstFrame();
    // Decodes one bitstream into the region; with `alpha`, its alpha goes to the
    // alpha plane's part of the region.
    bool DecodeBitstream(const uint8_t* data, size_t size, Region region, bool alpha);
    bool DecodeIntoRows(const uint8_t* data, size_t size, Region region);
    bool DecodeThroughBuffer(const uint8_t* data, size_t size, Region region);
    // Hands the bitstream to the decoder slice by slice until it is done.
    bool Feed(WebPDecoderConfig& config, const uint8_t* data, size_t size);
    bool WithinLimit(uint64_t bytes);
    // Tells the picture's user what a width x height picture (with an alpha plane
    // when `alpha`) costs beside the working buffer of the bitstream that fills a
    // region of `regionPixels`, before anything is allocated for it.
    bool AdmitPicture(uint32_t width, uint32_t height, bool alpha, const uint8_t* data, size_t size,
                      uint64_t regionPixels, bool regionAlpha);
    bool Fail(PictureError error) {
        picture_.SetError(error);
        return false;
    }

    Picture& picture_;
    ImageStream& file_;
    std::vector<uint8_t> bytes_;  // the whole file
};

bool WebpDecoder::Run(const uint8_t (&header)[kRiffHeaderSize]) {
    if (!ReadFile(header)) {
        return false;
    }
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(bytes_.data(), bytes_.size(), &features);
    if (status != VP8_STATUS_OK) {
        return Fail(ErrorOfStatus(status));
    }
    return features.has_animation ? DecodeFirstFrame() : DecodeStill(features);
}

// The header says how long the file is; a file cut short is read as far as it goes
// (libwebp then says what is missing), bytes past its end are left alone.
bool WebpDecoder::ReadFile(const uint8_t (&header)[kRiffHeaderSize]) {
    StreamReader reader(file_);
    const uint32_t riffSize = LoadU32LE(header + 4);
    const uint64_t stated = riffSize < 4 ? 0 : uint64_t{riffSize} - 4;
    const uint64_t rest = std::min<uint64_t>(stated, static_cast<uint64_t>(reader.Remaining()));
    if (!WithinLimit(kRiffHeaderSize + rest)) {
        return false;
    }
    bytes_.assign(header, header + kRiffHeaderSize);
    bytes_.resize(kRiffHeaderSize + rest);
    const size_t read = file_.Read(bytes_.data() + kRiffHeaderSize, 1, rest);
    bytes_.resize(kRiffHeaderSize + read);
    return true;
}

bool WebpDecoder::DecodeStill(const WebPBitstreamFeatures& features) {
    const auto width = static_cast<uint32_t>(features.width);
    const auto height = static_cast<uint32_t>(features.height);
    if (!AdmitPicture(width, height, features.has_alpha != 0, bytes_.data(), bytes_.size(),
                      uint64_t{width} * height, features.has_alpha != 0) ||
        picture_.Create(width, height, 24, kFormatWebp) == nullptr) {
        return false;
    }
    if (features.has_alpha && !picture_.CreateAlpha()) {
        return Fail(PictureError::kOutOfMemory);
    }
    return DecodeBitstream(bytes_.data(), bytes_.size(), Region{0, 0, width, height},
                           features.has_alpha != 0);
}

bool WebpDecoder::DecodeFirstFrame() {
    const WebPData data{bytes_.data(), bytes_.size()};
    const std::unique_ptr<WebPDemuxer, DemuxerDeleter> demuxer(WebPDemux(&data));
    WebPIterator frame;
    if (!demuxer || !WebPDemuxGetFrame(demuxer.get(), 1, &frame)) {
        return Fail(PictureError::kWebpCorrupted);
    }
    const uint32_t canvasWidth = WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH);
    const uint32_t canvasHeight = WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT);
    const Region region{static_cast<uint32_t>(frame.x_offset),
                        static_cast<uint32_t>(frame.y_offset), static_cast<uint32_t>(frame.width),
                        static_cast<uint32_t>(frame.height)};
    const uint8_t* bitstream = frame.fragment.bytes;
    const size_t bitstreamSize = frame.fragment.size;
    const bool frameAlpha = frame.has_alpha != 0;
    WebPDemuxReleaseIterator(&frame);
    // The demuxer keeps frames inside the canvas; checked again, since the rows are
    // addressed by it.
    if (region.width == 0 || region.height == 0 ||
        uint64_t{region.x} + region.width > canvasWidth ||
        uint64_t{region.y} + region.height > canvasHeight) {
        return Fail(PictureError::kWebpCorrupted);
    }
    const bool coversCanvas = region.width == canvasWidth && region.height == canvasHeight;
    if (!AdmitPicture(canvasWidth, canvasHeight, frameAlpha || !coversCanvas, bitstream,
                      bitstreamSize, uint64_t{region.width} * region.height, frameAlpha) ||
        picture_.Create(canvasWidth, canvasHeight, 24, kFormatWebp) == nullptr) {
        return false;
    }
    for (uint32_t row = 0; row < canvasHeight; ++row) {
        std::memset(picture_.GetBits(row), 0, picture_.GetEffectiveWidth());
    }
    if (frameAlpha || !coversCanvas) {
        if (!picture_.CreateAlpha()) {
            return Fail(PictureError::kOutOfMemory);
        }
        uint8_t* alpha = picture_.GetAlphaPlane();
        std::memset(alpha, 0, uint64_t{canvasWidth} * canvasHeight);
        for (uint32_t y = region.y; y < region.y + region.height; ++y) {
            const uint64_t storedRow = canvasHeight - 1 - y;
            std::memset(alpha + storedRow * canvasWidth + region.x, 255, region.width);
        }
    }
    return DecodeBitstream(bitstream, bitstreamSize, region, frameAlpha);
}

bool WebpDecoder::DecodeBitstream(const uint8_t* data, size_t size, Region region, bool alpha) {
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(data, size, &features);
    if (status != VP8_STATUS_OK) {
        return Fail(ErrorOfStatus(status));
    }
    if (static_cast<uint32_t>(features.width) != region.width ||
        static_cast<uint32_t>(features.height) != region.height) {
        return Fail(PictureError::kWebpCorrupted);
    }
    const uint64_t pixels = uint64_t{region.width} * region.height;
    if (features.format != 1 && !WithinLimit(pixels * kLosslessWorkingBytesPerPixel)) {
        return false;
    }
    return alpha ? DecodeThroughBuffer(data, size, region) : DecodeIntoRows(data, size, region);
}

bool WebpDecoder::DecodeIntoRows(const uint8_t* data, size_t size, Region region) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) {
        return Fail(PictureError::kWebpUnsupported);
    }
    // The region's rows, bottom one first: libwebp writes the top row last.
    const uint32_t stride = picture_.GetEffectiveWidth();
    const uint32_t bottomRow = picture_.GetHeight() - region.y - region.height;
    config.options.flip = 1;
    config.output.colorspace = MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = picture_.GetBits(bottomRow) + uint64_t{region.x} * 3;
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = uint64_t{stride} * (region.height - 1) + uint64_t{region.width} * 3;
    return Feed(config, data, size);
}

bool WebpDecoder::DecodeThroughBuffer(const uint8_t* data, size_t size, Region region) {
    const uint64_t rowBytes = uint64_t{region.width} * kBgraBytesPerPixel;
    if (!WithinLimit(rowBytes * region.height)) {
        return false;
    }
    std::vector<uint8_t> buffer(rowBytes * region.height);
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) {
        return Fail(PictureError::kWebpUnsupported);
    }
    config.options.flip = 1;  // the buffer's rows bottom first, as the picture's
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = buffer.data();
    config.output.u.RGBA.stride = static_cast<int>(rowBytes);
    config.output.u.RGBA.size = buffer.size();
    if (!Feed(config, data, size)) {
        return false;
    }
    const uint32_t width = picture_.GetWidth();
    const uint32_t bottomRow = picture_.GetHeight() - region.y - region.height;
    for (uint32_t row = 0; row < region.height; ++row) {
        const uint8_t* source = buffer.data() + row * rowBytes;
        uint8_t* target = picture_.GetBits(bottomRow + row) + uint64_t{region.x} * 3;
        uint8_t* alpha = picture_.GetAlphaPlane() + uint64_t{bottomRow + row} * width + region.x;
        for (uint32_t x = 0; x < region.width; ++x, source += 4, target += 3) {
            target[0] = source[0];
            target[1] = source[1];
            target[2] = source[2];
            alpha[x] = source[3];
        }
    }
    return true;
}

bool WebpDecoder::Feed(WebPDecoderConfig& config, const uint8_t* data, size_t size) {
    const std::unique_ptr<WebPIDecoder, IncrementalDecoderDeleter> decoder(
        WebPIDecode(nullptr, 0, &config));
    if (!decoder) {
        return Fail(PictureError::kOutOfMemory);
    }
    size_t fed = 0;
    for (;;) {
        if (picture_.GetEscape() != 0) {
            return Fail(PictureError::kCancelled);
        }
        fed = std::min(size, fed + kSliceBytes);
        const VP8StatusCode status = WebPIUpdate(decoder.get(), data, fed);
        if (status == VP8_STATUS_OK) {
            return true;
        }
        if (status != VP8_STATUS_SUSPENDED || fed == size) {
            return Fail(ErrorOfStatus(status));
        }
    }
}

bool WebpDecoder::AdmitPicture(uint32_t width, uint32_t height, bool alpha, const uint8_t* data,
                               size_t size, uint64_t regionPixels, bool regionAlpha) {
    // A lossless or mixed bitstream needs libwebp's working pixels; alpha goes through
    // a buffer of four bytes a pixel. A bitstream whose features cannot be read fails
    // later with libwebp's reason.
    WebPBitstreamFeatures features;
    uint64_t working = 0;
    if (WebPGetFeatures(data, size, &features) == VP8_STATUS_OK && features.format != 1) {
        working += regionPixels * kLosslessWorkingBytesPerPixel;
    }
    if (regionAlpha) {
        working += regionPixels * kBgraBytesPerPixel;
    }
    DecodeCost cost{width, height, 24, alpha};
    cost.workingBytes = WorkingBytesWithinLimit(cost, working, picture_.GetMemoryLimit());
    return picture_.AdmitDecode(cost);
}

bool WebpDecoder::WithinLimit(uint64_t bytes) {
    if (bytes > picture_.GetMemoryLimit()) {
        return Fail(PictureError::kMemoryLimit);
    }
    return true;
}

}  // namespace

bool PictureWEBP::Decode(ImageStream* file) {
    if (file == nullptr) {
        SetError(PictureError::kNullFile);
        return false;
    }
    // Foreign files are turned away by their first bytes: content detection offers
    // every file to this decoder.
    uint8_t header[kRiffHeaderSize];
    if (!ReadRiffHeader(*file, header)) {
        SetError(PictureError::kNotWebp);
        return false;
    }
    SetFormatRecognition(FormatRecognition::kStrong);
    const bool decoded = WebpDecoder(*this, *file).Run(header);
    if (!decoded) {
        Destroy();
    }
    return decoded;
}
