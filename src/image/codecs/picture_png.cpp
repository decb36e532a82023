// PNG decoding through libpng. Rows whose layout libpng can deliver as the picture
// stores them (1, 4 and 8-bit indexes or grey levels, blue-green-red triples) are
// read straight into the picture's rows; the others (2-bit, grey with alpha, colour
// with alpha) pass through a buffer and are converted row by row.
#include "image/codecs/picture_png.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/packed_pixels.h"
#include "image/stream_reader.h"

namespace {

constexpr size_t kSignatureSize = 8;
// Ancillary chunks libpng may keep in memory at once (text, suggested palettes);
// none are kept here, so a small number is plenty.
constexpr png_uint_32 kMaxCachedChunks = 64;

// Chunks the picture has no use for: libpng discards them as it reads, so their
// length fields, whatever they claim, make it allocate nothing. Only the header,
// palette, transparency, physical size and image data are read. libpng takes the
// names as five-byte strings, each ended by a zero byte.
constexpr char kIgnoredChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0sBIT\0sCAL\0sPLT\0sRGB\0"
    "tEXt\0tIME\0zTXt";
constexpr int kIgnoredChunkCount = sizeof kIgnoredChunks / 5;

// Everything the decoding owns lives here, in the frame of the caller of
// RunLibpng, so that a longjmp out of libpng skips no destructor.
struct PngDecodeState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ImageStream* stream = nullptr;
    Picture* picture = nullptr;
    std::vector<uint8_t> buffer;  // rows in libpng's layout, when they need converting
    std::vector<uint8_t*> rows;   // where each file row (top first) is read to
    bool allRowsRead = false;
};

void ReadFromStream(png_structp png, png_bytep data, size_t length) {
    auto* state = static_cast<PngDecodeState*>(png_get_io_ptr(png));
    if (state->stream->Read(data, 1, length) != length) {
        state->picture->SetError(PictureError::kReadError);
        png_longjmp(png, 1);
    }
}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngDecodeState*>(png_get_error_ptr(png));
    state->picture->SetError(PictureError::kCodecLibrary, message);
    png_longjmp(png, 1);
}

// Warnings (a damaged ancillary chunk, say) do not stop the picture from loading
// and the program has no console to show them on.
void OnWarning(png_structp /*png*/, png_const_charp /*message*/) {}

void SplitGreyAlphaRow(const uint8_t* source, uint8_t* target, uint8_t* alpha, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, source += 2) {
        target[x] = source[0];
        alpha[x] = source[1];
    }
}

void SplitColorAlphaRow(const uint8_t* source, uint8_t* target, uint8_t* alpha, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, source += 4, target += 3) {
        target[0] = source[0];
        target[1] = source[1];
        target[2] = source[2];
        alpha[x] = source[3];
    }
}

int32_t PhysicalToDpi(png_uint_32 value, int unit) {
    if (unit == PNG_RESOLUTION_METER) {
        return static_cast<int32_t>(std::floor(value * kMetresPerInch + 0.5));
    }
    return static_cast<int32_t>(std::min<png_uint_32>(value, INT32_MAX));
}

class PngDecoder {
  public:
    explicit PngDecoder(PngDecodeState& state) : state_(state), picture_(*state.picture) {}
    // Runs libpng from the header to the last row; its errors longjmp back here.
    bool Run();

  private:
    // Each of these may leave through libpng's longjmp: none owns anything that needs
    // destroying.
    void BoundLibpngMemory();
    bool CreatePicture();
    DecodeCost CostOf(uint32_t width, uint32_t height, uint32_t bpp, int interlace) const;
    // Rows libpng delivers as the picture stores them: 1, 4 and 8-bit samples, and
    // blue-green-red triples.
    bool IsDirect() const { return (channels_ == 1 && bitDepth_ != 2) || channels_ == 3; }
    bool ArrangeRows(int passes, size_t rowBytes);
    bool ReadRows(int passes);
    void SetResolution();
    void SetPalette(int bitDepth);
    void SetTransparency(int colorType, int bitDepth);
    void SetPaletteAlpha(png_const_bytep alphas, int alphaCount);
    void ConvertRow(const uint8_t* source, uint32_t fileRow);

    PngDecodeState& state_;
    Picture& picture_;
    int colorType_ = 0;
    int bitDepth_ = 0;
    int channels_ = 0;
    bool direct_ = false;  // rows are read straight into the picture
};

bool PngDecoder::Run() {
    png_structp png = state_.png;
    png_infop info = state_.info;
    if (setjmp(png_jmpbuf(png))) {
        // A damaged chunk after the last row (or a missing end) costs no pixels.
        return state_.allRowsRead;
    }
    png_set_read_fn(png, &state_, ReadFromStream);
    png_set_sig_bytes(png, kSignatureSize);
    BoundLibpngMemory();
    png_read_info(png, info);
    if (!CreatePicture()) {
        return false;
    }

    if (bitDepth_ == 16) {
        png_set_strip_16(png);  // keeps the high byte
    }
    if (colorType_ & PNG_COLOR_MASK_COLOR) {
        png_set_bgr(png);
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    SetResolution();
    SetPalette(bitDepth_);
    SetTransparency(colorType_, bitDepth_);
    if (channels_ == 2 || channels_ == 4) {
        if (!picture_.CreateAlpha()) {
            picture_.SetError(PictureError::kOutOfMemory);
            return false;
        }
    }
    if (!ArrangeRows(passes, png_get_rowbytes(png, info)) || !ReadRows(passes)) {
        return false;
    }
    state_.allRowsRead = true;
    png_read_end(png, nullptr);
    return true;
}

// The header step: the colour type decides the channels and the picture's depth.
// The picture is made before libpng sizes its row buffers for it (at most eight bytes
// a pixel), so a picture past the limit costs nothing.
bool PngDecoder::CreatePicture() {
    png_uint_32 width = 0, height = 0;
    int interlace = 0;
    png_get_IHDR(state_.png, state_.info, &width, &height, &bitDepth_, &colorType_, &interlace,
                 nullptr, nullptr);
    switch (colorType_) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_PALETTE:
            channels_ = 1;
            break;
        case PNG_COLOR_TYPE_RGB:
            channels_ = 3;
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            channels_ = 2;
            break;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            channels_ = 4;
            break;
        default:
            picture_.SetError(PictureError::kPngColorType);
            return false;
    }
    const uint32_t bpp = channels_ == 1 ? std::min(bitDepth_, 8) : channels_ == 2 ? 8 : 24;
    if (!picture_.AdmitDecode(CostOf(width, height, bpp, interlace))) {
        return false;
    }
    return picture_.Create(width, height, bpp, kFormatPng) != nullptr;
}

// Rows that need converting and arrive interlaced are all kept until the last pass
// (see ArrangeRows), at one byte a sample once 16-bit samples are cut to 8 bits.
DecodeCost PngDecoder::CostOf(uint32_t width, uint32_t height, uint32_t bpp, int interlace) const {
    DecodeCost cost;
    cost.width = width;
    cost.height = height;
    cost.bpp = bpp;
    cost.alpha = channels_ == 2 || channels_ == 4;
    cost.grey = (colorType_ == PNG_COLOR_TYPE_GRAY || colorType_ == PNG_COLOR_TYPE_GRAY_ALPHA) &&
                bitDepth_ >= 8;
    if (!IsDirect() && interlace != PNG_INTERLACE_NONE) {
        const uint64_t rowBytes = bitDepth_ == 2
                                      ? (uint64_t{width} + 3) / 4
                                      : uint64_t{width} * static_cast<uint64_t>(channels_);
        cost.workingBytes = SaturatingProduct(rowBytes, height);
    }
    return cost;
}

// Decides where each file row is read to. Rows stored as libpng delivers them go
// straight into the picture (the top file row is the last stored row); the others
// pass through a buffer.
bool PngDecoder::ArrangeRows(int passes, size_t rowBytes) {
    const uint32_t height = picture_.GetHeight();
    direct_ = IsDirect();
    const uint32_t effectiveWidth = picture_.GetEffectiveWidth();
    if (direct_ && rowBytes > effectiveWidth) {
        picture_.SetError(PictureError::kPngRowSize);
        return false;
    }
    // A converted interlaced picture needs all its rows at once: each pass adds
    // pixels to rows read before.
    const uint64_t bufferRows = direct_ ? 0 : (passes > 1 ? height : 1);
    const uint64_t bufferBytes = bufferRows * rowBytes;
    if (bufferBytes > picture_.GetMemoryLimit()) {
        picture_.SetError(PictureError::kMemoryLimit);
        return false;
    }
    state_.buffer.resize(bufferBytes);
    state_.rows.resize(height);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* stored = picture_.GetBits(height - 1 - y);
        // Padding bytes past the pixels are cleared so saved rows are deterministic.
        std::memset(stored + (direct_ ? rowBytes : 0), 0,
                    effectiveWidth - (direct_ ? rowBytes : 0));
        if (direct_) {
            state_.rows[y] = stored;
        } else {
            state_.rows[y] = state_.buffer.data() + (passes > 1 ? y * rowBytes : 0);
        }
    }
    return true;
}

// The rows step: every pass of every row, converted where they are not direct.
bool PngDecoder::ReadRows(int passes) {
    const uint32_t height = picture_.GetHeight();
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < height; ++y) {
            if (picture_.GetEscape() != 0) {
                picture_.SetError(PictureError::kCancelled);
                return false;
            }
            png_read_row(state_.png, state_.rows[y], nullptr);
            if (!direct_ && passes == 1) {
                ConvertRow(state_.rows[y], y);
            }
        }
    }
    if (!direct_ && passes > 1) {
        for (uint32_t y = 0; y < height; ++y) {
            ConvertRow(state_.rows[y], y);
        }
    }
    return true;
}

void PngDecoder::ConvertRow(const uint8_t* source, uint32_t fileRow) {
    const uint32_t width = picture_.GetWidth();
    const uint32_t storedRow = picture_.GetHeight() - 1 - fileRow;
    uint8_t* target = picture_.GetBits(storedRow);
    uint8_t* alpha = picture_.GetAlphaPlane();
    if (alpha != nullptr) {
        alpha += static_cast<size_t>(storedRow) * width;
    }
    if (colorType_ == PNG_COLOR_TYPE_GRAY_ALPHA) {
        SplitGreyAlphaRow(source, target, alpha, width);
    } else if (colorType_ == PNG_COLOR_TYPE_RGB_ALPHA) {
        SplitColorAlphaRow(source, target, alpha, width);
    } else {
        WidenTwoBitRow(source, target, width);
    }
}

// Holds everything libpng allocates for a file to the picture's memory limit: the
// chunks it keeps, how many it keeps, and the picture's dimensions (no picture under
// the limit is wider than eight pixels a byte, or taller than one 4-byte row a row).
void PngDecoder::BoundLibpngMemory() {
    png_structp png = state_.png;
    // For libpng 0 means "no limit"; a limit of 0 must still refuse everything.
    const uint64_t limit = std::max<uint64_t>(picture_.GetMemoryLimit(), 1);
    png_set_chunk_malloc_max(
        png, static_cast<png_alloc_size_t>(std::min<uint64_t>(limit, PNG_SIZE_MAX)));
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    // Never above libpng's own defaults; the inner min keeps the product from wrapping.
    const uint64_t widthMax =
        std::min<uint64_t>(PNG_USER_WIDTH_MAX, std::min<uint64_t>(limit, PNG_USER_WIDTH_MAX) * 8);
    const uint64_t heightMax = std::min<uint64_t>(PNG_USER_HEIGHT_MAX, limit / 4 + 1);
    png_set_user_limits(png, static_cast<png_uint_32>(widthMax),
                        static_cast<png_uint_32>(heightMax));
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Mutated inputs rarely keep their checksums right: the fuzz builds read past
    // them, or the fuzzer would never get beyond libpng's checks into the rows.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER,
                                reinterpret_cast<png_const_bytep>(kIgnoredChunks),
                                kIgnoredChunkCount);
}

void PngDecoder::SetResolution() {
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (png_get_pHYs(state_.png, state_.info, &x, &y, &unit) == 0) {
        return;
    }
    if (unit != PNG_RESOLUTION_METER && unit != PNG_RESOLUTION_UNKNOWN) {
        return;
    }
    picture_.SetXDpi(PhysicalToDpi(x, unit));
    picture_.SetYDpi(PhysicalToDpi(y, unit));
}

void PngDecoder::SetPalette(int bitDepth) {
    const uint32_t colors = picture_.GetNumColors();
    if (colors == 0) {
        return;
    }
    png_colorp filePalette = nullptr;
    int filePaletteSize = 0;
    if (png_get_PLTE(state_.png, state_.info, &filePalette, &filePaletteSize) != 0 &&
        filePaletteSize > 0) {
        const uint32_t count = std::min<uint32_t>(filePaletteSize, colors);
        for (uint32_t i = 0; i < count; ++i) {
            picture_.SetPaletteColor(
                i, RgbQuad{filePalette[i].blue, filePalette[i].green, filePalette[i].red, 0});
        }
        const uint32_t cap = picture_.GetBpp() == 1 ? 2 : picture_.GetBpp() == 4 ? 16 : 256;
        picture_.SetColorsImportant(
            filePaletteSize > 256 ? 0 : std::min<uint32_t>(filePaletteSize, cap));
    } else if (bitDepth == 2) {
        const uint8_t greys[4] = {0, 85, 170, 255};
        for (uint32_t i = 0; i < 4; ++i) {
            picture_.SetPaletteColor(i, RgbQuad{greys[i], greys[i], greys[i], 0});
        }
    } else {
        picture_.MakeGreyPalette();
    }
}

void PngDecoder::SetTransparency(int colorType, int bitDepth) {
    if (png_get_valid(state_.png, state_.info, PNG_INFO_tRNS) == 0) {
        return;
    }
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_color_16p color = nullptr;
    png_get_tRNS(state_.png, state_.info, &alphas, &alphaCount, &color);
    const auto toEightBits = [bitDepth](png_uint_16 sample) {
        return static_cast<uint8_t>(bitDepth == 16 ? sample >> 8 : sample);
    };
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        SetPaletteAlpha(alphas, alphaCount);
    } else if (colorType == PNG_COLOR_TYPE_GRAY) {
        // A level outside the bit depth's range matches no pixel.
        if (color != nullptr && (bitDepth == 16 || color->gray < (1u << bitDepth))) {
            picture_.SetTransparentIndex(toEightBits(color->gray));
        }
    } else if (colorType == PNG_COLOR_TYPE_RGB && color != nullptr) {
        picture_.SetTransparentColor(RgbQuad{toEightBits(color->blue), toEightBits(color->green),
                                             toEightBits(color->red), 0});
        picture_.SetTransparentIndex(0);  // marks the transparent colour as active
    }
}

void PngDecoder::SetPaletteAlpha(png_const_bytep alphas, int alphaCount) {
    if (alphas == nullptr || alphaCount <= 0) {
        return;
    }
    if (alphaCount == 1 && alphas[0] == 0) {
        // The usual single entry: palette index 0 is fully transparent.
        picture_.SetTransparentIndex(0);
        return;
    }
    // Each listed entry carries its own alpha; the rest are opaque. A single entry that
    // is not fully transparent is an alpha value too (it must not make index 0
    // invisible).
    for (uint32_t i = 0; i < picture_.GetNumColors(); ++i) {
        RgbQuad entry = picture_.GetPaletteColor(i);
        entry.reserved = i < static_cast<uint32_t>(alphaCount) ? alphas[i] : 255;
        picture_.SetPaletteColor(i, entry);
    }
    picture_.SetAlphaPaletteEnabled(true);
}

}  // namespace

bool PicturePNG::Decode(ImageStream* file) {
    if (file == nullptr) {
        SetError(PictureError::kNullFile);
        return false;
    }
    // Foreign files are turned away before libpng is set up: content detection
    // offers every file to this decoder.
    uint8_t signature[kSignatureSize];
    StreamReader reader(*file);
    if (!reader.ReadBytes(signature, kSignatureSize) ||
        png_sig_cmp(signature, 0, kSignatureSize) != 0) {
        SetError(PictureError::kNotPng);
        return false;
    }
    SetFormatRecognition(FormatRecognition::kStrong);
    // libpng may complain after the last row (a damaged chunk, a missing end) and
    // still give the whole picture: then its complaint is no error of the picture.
    const PictureLastError earlierError = GetError();

    PngDecodeState state;
    state.stream = file;
    state.picture = this;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (state.png == nullptr) {
        SetError(PictureError::kOutOfMemory);
        return false;
    }
    state.info = png_create_info_struct(state.png);
    bool decoded = false;
    if (state.info == nullptr) {
        SetError(PictureError::kOutOfMemory);
    } else {
        decoded = PngDecoder(state).Run();
    }
    png_destroy_read_struct(&state.png, state.info ? &state.info : nullptr, nullptr);
    if (!decoded) {
        Destroy();
    } else {
        RestoreError(earlierError);
    }
    return decoded;
}
