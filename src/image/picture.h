// Picture: one raster picture held as a packed device-independent bitmap (40-byte
// header, palette of blue-green-red-reserved entries, bottom-up rows padded to 4
// bytes), 1, 4, 8 or 24 bits per pixel, with an optional one-byte-per-pixel alpha
// plane. Failure is a false (or null) result plus the last error: a code to act on
// (GetErrorCode) and the message a user reads (GetLastError).
//
// The rooms of src/image, each using only the ones below it:
//   ops/     what is done to a picture: Load and Decode by content (picture_load),
//            Resample and its modes, Draw onto a DrawingSurface
//   codecs/  one decoder per format (PictureBMP, PictureGIF with its LZW decoder,
//            PictureICO, PictureJPG with the JPEG encoder, the EXIF reader and the
//            libjpeg error handler, PicturePNG, PictureTGA, PictureWEBP, PictureHEIF
//            for HEIC and AVIF)
//   ./       the picture itself (this class: life cycle, pixels and palette, depth),
//            its streams (ImageStream, StreamReader), the DrawingSurface
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "image/decode_cost.h"
#include "image/image_format.h"
#include "image/picture_error.h"

class ImageStream;
class DrawingSurface;
struct SurfaceRect;

// How sure a decoder that refused a file is that the file was meant to be of its
// format: a strong signature ("BM", the PNG and GIF signatures, a JPEG's start of
// image), or a weak sign (an icon directory, a bare bitmap header, a TGA header of
// known fields). Detection by content reports the reason of such a decoder instead
// of calling the format unknown.
enum class FormatRecognition : uint8_t { kNone, kWeak, kStrong };

// How Resample samples the picture; the values are its mode codes 0, 1 and 2.
enum class ResampleMode : int {
    // The area average when a 24-bit picture shrinks in both directions, else bilinear
    // interpolation; sample points anchored at the bottom-left corner.
    kAreaAverageOrBilinear = 0,
    kNearest = 1,  // the pixel under each new pixel's centre
    kBicubic = 2,  // Catmull-Rom over 4 x 4 pixels around each new pixel's centre
};

// One palette entry or one colour, laid out as the bitmap's palette entries are.
struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;  // alpha where an alpha is meant
    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};
static_assert(sizeof(RgbQuad) == 4);

// The fields of a 40-byte bitmap information header, kept in host order; the block
// holds the same values little-endian at its start.
struct BitmapInfoHeader {
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
};

inline constexpr uint32_t kBitmapInfoHeaderSize = 40;

// Bytes in one stored row of `width` pixels at `bpp` bits: rows are padded to whole
// 32-bit words. Computed in 64 bits, so no width a header can claim overflows it.
constexpr uint64_t DibRowBytes(uint64_t width, uint32_t bpp) {
    return (uint64_t{bpp} * width + 31) / 32 * 4;
}
// The least size a caller needs of a picture it will fit to a frame (see
// Picture::SetDecodeSizeHint); 0 by 0 asks for nothing.
struct DecodeSizeHint {
    uint32_t minWidth = 0;
    uint32_t minHeight = 0;
    // Enough when one side reaches its minimum: a picture scaled whole into the frame
    // (by the smaller ratio) needs no more than that.
    bool eitherSide = false;
    // The minimum is that of the picture turned upright by its orientation: for a
    // quarter turn the decoder swaps the two sides.
    bool upright = false;
};

// The default memory limit of a picture: pictures whose pixels would need more than
// this many bytes are refused.
inline constexpr uint64_t kPictureMaxMemory = 268435456;

// A picture keeps its resolution in dots per inch; files state it per metre (BMP, PNG)
// or per centimetre (JPEG, EXIF) as well.
inline constexpr double kMetresPerInch = 0.0254;
inline constexpr double kCentimetresPerInch = 2.54;

// Everything a picture keeps beside its pixels. Decoders start from a copy of the
// caller's information, so options and the frame number carry over.
struct PictureInformation {
    uint32_t effectiveWidth = 0;  // bytes per stored row
    uint32_t type = 0;
    PictureLastError lastError;
    int32_t escape = 0;  // non-zero stops long operations; -1 asks decoders for dimensions
    PictureError damage = PictureError::kNone;  // see Picture::GetDamage
    // Raised by another thread to stop long operations, as a non-zero escape does.
    // Copied with the information, so a decoder working on a copy sees it too.
    const std::atomic<bool>* stopFlag = nullptr;
    int32_t transparentIndex = -1;
    RgbQuad transparentColor;
    float jpegQuality = 90.0f;
    uint8_t jpegScale = 0;
    DecodeSizeHint decodeHint;  // see Picture::SetDecodeSizeHint; 0, 0 is off
    // EXIF's orientation of the stored picture, 1 to 8 (1: as stored), set by the
    // JPEG decoder; see image/ops/picture_orientation.h.
    uint8_t orientation = 1;
    int32_t frameNumber = 0;
    int32_t frameCount = 0;
    int32_t xDpi = 96;
    int32_t yDpi = 96;
    uint64_t memoryLimit = kPictureMaxMemory;    // bytes, see Picture::SetMemoryLimit
    DecodeAdmission* decodeAdmission = nullptr;  // see Picture::SetDecodeAdmission
    uint8_t alphaMax = 255;
    bool alphaPaletteEnabled = false;
    bool enabled = true;
    uint32_t codecOptions[kTypeIndexCount] = {};
    RgbQuad nearestCacheColor;
    uint8_t nearestCacheIndex = 0;
    bool nearestCacheValid = false;
    bool littleEndianHost = true;
};

class Picture {
  public:
    explicit Picture(uint32_t type = kFormatUnknown);
    virtual ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // --- life cycle -------------------------------------------------------------
    // Frees the old contents and makes a new block; bpp rounds up to 1, 4, 8 or 24.
    // Returns the block, or null with the last error set.
    uint8_t* Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type);
    // False for a borrowing picture (nothing freed), else frees everything.
    bool Destroy();
    bool IsValid() const { return block_ != nullptr; }

    // --- loading and saving -----------------------------------------------------
    // type 0 detects the format from the content (BMP, JPEG, ICO, GIF, PNG, WebP, HEIF
    // and AVIF, TGA). On failure the last error says why: the system's reason when the
    // file cannot be opened, "Not a regular file" for a pipe, device or socket (never
    // opened, so nothing can block), the decoder's when the content is of its format,
    // else "Decode: Unknown or wrong format". A raised stop flag ends the reading of any
    // file at once: "Cancelled". Success leaves the last error as it was.
    bool Load(const char* path, uint32_t type);
    bool Decode(ImageStream* file, uint32_t type);
    // The system's reason is the last error when the file cannot be opened.
    bool Save(const char* path, uint32_t type);
    bool Encode(ImageStream* file, uint32_t type);
    void SetJpegQuality(uint8_t quality) { info_.jpegQuality = quality; }
    uint8_t GetJpegQuality() const { return static_cast<uint8_t>(info_.jpegQuality + 0.5f); }
    uint8_t GetJpegScale() const { return info_.jpegScale; }
    void SetJpegScale(uint8_t scale) { info_.jpegScale = scale; }
    // Tells the decoder the least size the caller needs (it fits the picture to its
    // frame afterwards): the JPEG decoder then takes the smallest of libjpeg's DCT
    // scales 1/8 to 8/8 that still gives at least minWidth x minHeight, which costs a
    // fraction of a full decode. 0, 0 (the default) decodes at full size; a JPEG scale
    // set with SetJpegScale wins; the other decoders ignore the hint.
    void SetDecodeSizeHint(uint32_t minWidth, uint32_t minHeight) {
        info_.decodeHint = DecodeSizeHint{minWidth, minHeight};
    }
    // The same, with the hint's refinements (a contained or upright picture).
    void SetDecodeSizeHint(const DecodeSizeHint& hint) { info_.decodeHint = hint; }
    const DecodeSizeHint& GetDecodeSizeHint() const { return info_.decodeHint; }
    uint32_t GetDecodeHintWidth() const { return info_.decodeHint.minWidth; }
    uint32_t GetDecodeHintHeight() const { return info_.decodeHint.minHeight; }
    // How the stored picture is to be turned to stand upright: EXIF's Orientation, 1
    // to 8 (1 as stored). The decoders leave the pixels as stored; TurnUpright
    // (image/ops/picture_orientation.h) applies it.
    uint8_t GetOrientation() const { return info_.orientation; }
    void SetOrientation(uint8_t orientation) { info_.orientation = orientation; }

    // The most bytes this picture's pixel rows (or its alpha plane, or a decoder's
    // working memory for it) may take; larger pictures are refused with
    // "PICTURE_MAX_MEMORY exceeded". Decoders, Resample, IncreaseBpp and Copy work
    // under the limit of the picture they fill; a decoder counts all it holds at once
    // (rows, alpha plane and working buffers, see DecodeCost) against it. A fuzz
    // target lowers it to run fast.
    void SetMemoryLimit(uint64_t bytes) { info_.memoryLimit = bytes; }
    uint64_t GetMemoryLimit() const { return info_.memoryLimit; }
    // Asked by every decoder before it allocates the pixels (null for none): a caller
    // that decodes several pictures at once shares its memory between them through it.
    // It must outlive the picture's decoding.
    void SetDecodeAdmission(DecodeAdmission* admission) { info_.decodeAdmission = admission; }
    // Called by a decoder once it knows the cost: false, with the reason as the last
    // error, when the cost passes the memory limit or the admission refuses it.
    bool AdmitDecode(const DecodeCost& cost);

    // --- measures -----------------------------------------------------------------
    uint32_t GetWidth() const { return static_cast<uint32_t>(header_.width); }
    uint32_t GetHeight() const { return static_cast<uint32_t>(header_.height); }
    uint16_t GetBpp() const { return header_.bitCount; }
    uint32_t GetEffectiveWidth() const { return info_.effectiveWidth; }
    uint32_t GetNumColors() const { return header_.colorsUsed; }
    uint32_t GetColorsImportant() const { return header_.colorsImportant; }
    void SetColorsImportant(uint32_t count);
    bool IsGrayScale() const;
    uint32_t GetType() const { return info_.type; }
    void SetType(uint32_t type) { info_.type = type; }
    const BitmapInfoHeader& GetHeader() const { return header_; }

    // --- depth ----------------------------------------------------------------------
    // Converts up to 4, 8 or 24 bits per pixel; false for a depth it cannot reach.
    bool IncreaseBpp(uint32_t bpp);

    // Turns the rows (and the alpha plane) upside down / mirrors them left to right.
    bool Flip();
    bool Mirror();

    // --- pixels (y = 0 is the bottom row) --------------------------------------------
    // Start of stored row `row` (0 = bottom); null without a block or past the top.
    uint8_t* GetBits(uint32_t row = 0);
    const uint8_t* GetBits(uint32_t row = 0) const;
    bool IsInside(int64_t x, int64_t y) const {
        return block_ && x >= 0 && y >= 0 && x < header_.width && y < header_.height;
    }
    uint8_t GetPixelIndex(int64_t x, int64_t y) const;
    void SetPixelIndex(int64_t x, int64_t y, uint8_t index);
    RgbQuad GetPixelColor(int64_t x, int64_t y, bool withAlpha = true) const;
    void SetPixelColor(int64_t x, int64_t y, RgbQuad color, bool withAlpha = false);

    // --- palette ----------------------------------------------------------------------
    RgbQuad* GetPalette();
    const RgbQuad* GetPalette() const;
    // Copies at most as many entries as the palette holds; invalidates the cache.
    void SetPalette(const RgbQuad* entries, uint32_t count);
    void SetPaletteColor(uint32_t index, RgbQuad color);
    RgbQuad GetPaletteColor(uint32_t index) const;
    uint8_t NearestPaletteIndex(RgbQuad color);
    void MakeGreyPalette();

    // --- transparency and alpha -------------------------------------------------------
    int32_t GetTransparentIndex() const { return info_.transparentIndex; }
    void SetTransparentIndex(int32_t index) { info_.transparentIndex = index; }
    RgbQuad GetTransparentColor() const { return info_.transparentColor; }
    void SetTransparentColor(RgbQuad color) { info_.transparentColor = color; }
    bool IsAlphaPaletteEnabled() const { return info_.alphaPaletteEnabled; }
    void SetAlphaPaletteEnabled(bool enabled) { info_.alphaPaletteEnabled = enabled; }
    uint8_t GetAlphaMax() const { return info_.alphaMax; }
    void SetAlphaMax(uint8_t alphaMax) { info_.alphaMax = alphaMax; }
    bool HasAlpha() const { return alpha_ != nullptr; }
    // Creates the alpha plane filled with 255 (kept when it exists); false on failure.
    bool CreateAlpha();
    void DeleteAlpha();
    // width x height bytes, bottom row first, no padding; null without a plane.
    uint8_t* GetAlphaPlane() { return alpha_; }
    const uint8_t* GetAlphaPlane() const { return alpha_; }

    // --- information ------------------------------------------------------------------
    PictureError GetErrorCode() const { return info_.lastError.code; }
    const char* GetLastError() const { return info_.lastError.text; }
    // Sets the last error: the code and its fixed text, or, given `text` (the system's
    // reason, a codec library's message, another picture's error), that text cut to 255
    // characters. An empty text keeps the old error, as a failure that says nothing
    // keeps the reason before it; so does kNone.
    void SetError(PictureError code, const char* text = nullptr);
    void ClearLastError() { info_.lastError = {}; }
    // Why a decoded picture is incomplete although its decoder kept it (its data ended
    // early: the rest is grey, black or the background), or kNone. Text:
    // PictureErrorText.
    PictureError GetDamage() const { return info_.damage; }
    void SetDamage(PictureError damage) { info_.damage = damage; }
    // The whole last error, to be put back as it was with RestoreError.
    const PictureLastError& GetError() const { return info_.lastError; }
    void RestoreError(const PictureLastError& error) { info_.lastError = error; }
    int32_t GetXDpi() const { return info_.xDpi; }
    int32_t GetYDpi() const { return info_.yDpi; }
    // 0 or less becomes 96; also updates the pixels-per-metre header fields.
    void SetXDpi(int32_t dpi);
    void SetYDpi(int32_t dpi);
    // The escape value, or 1 once the stop flag has been raised.
    int32_t GetEscape() const {
        if (info_.escape == 0 && info_.stopFlag != nullptr &&
            info_.stopFlag->load(std::memory_order_relaxed)) {
            return 1;
        }
        return info_.escape;
    }
    void SetEscape(int32_t escape) { info_.escape = escape; }
    // A flag another thread may raise while this picture loads, converts or resamples
    // (null for none); it must outlive the picture's use of it.
    void SetStopFlag(const std::atomic<bool>* flag) { info_.stopFlag = flag; }
    int32_t GetFrameNumber() const { return info_.frameNumber; }
    void SetFrameNumber(int32_t frame) { info_.frameNumber = frame; }
    int32_t GetFrameCount() const { return info_.frameCount; }
    void SetFrameCount(int32_t count) { info_.frameCount = count; }
    bool IsEnabled() const { return info_.enabled; }
    void SetEnabled(bool enabled) { info_.enabled = enabled; }
    // Set by a decoder (see FormatRecognition); kNone for any other picture.
    FormatRecognition GetFormatRecognition() const { return recognition_; }

    // The packed DIB (header, palette, rows) and its size in bytes.
    const uint8_t* GetDib() const { return block_; }
    size_t GetDibSize() const { return blockSize_; }

    // --- ownership moves --------------------------------------------------------------
    // Frees this picture's contents and takes the other's block, planes, header and
    // information, leaving the other empty.
    bool TakeOver(Picture& other);
    // Shares the other's block and planes without owning them; the other must outlive
    // this picture.
    bool Borrow(Picture& other);
    // Duplicates the other's block, planes, header and information.
    bool Copy(const Picture& other);
    // Copies the other's information (not the pixels): resolution, quality,
    // transparency, type, options, frame number.
    void CopyInformation(const Picture& other);

    // --- resampling, drawing ----------------------------------------------------------
    // A null destination replaces this picture.
    bool Resample(int64_t newWidth, int64_t newHeight,
                  ResampleMode mode = ResampleMode::kAreaAverageOrBilinear,
                  Picture* destination = nullptr);
    // Paints the picture stretched to (x, y, width, height) of the surface; a negative
    // width or height means the picture's own. Returns 1 when something was painted.
    int Draw(DrawingSurface* surface, int32_t x, int32_t y, int32_t width, int32_t height,
             const SurfaceRect* clip, bool smooth);
    RgbQuad InterpolateBilinear(float x, float y) const;
    RgbQuad AverageArea(float x, float y, float widthScale, float heightScale) const;

  protected:
    PictureInformation& Information() { return info_; }
    void SetFormatRecognition(FormatRecognition level) { recognition_ = level; }

  private:
    struct FreeDeleter {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    using Buffer = std::unique_ptr<uint8_t, FreeDeleter>;

    void WriteHeaderToBlock();
    void FreeContents();
    // Frees the contents and takes the other's header and information (all but
    // this host's byte order flag); the block and planes are left to the caller.
    void ReplaceDescriptionWith(const Picture& other);

    BitmapInfoHeader header_;
    PictureInformation info_;
    Buffer ownedBlock_;
    Buffer ownedAlpha_;
    uint8_t* block_ = nullptr;  // owned block or the lender's
    size_t blockSize_ = 0;
    uint8_t* pixels_ = nullptr;  // first stored row inside the block
    uint8_t* alpha_ = nullptr;   // owned alpha plane or the lender's
    Picture* lender_ = nullptr;
    FormatRecognition recognition_ = FormatRecognition::kNone;
};
