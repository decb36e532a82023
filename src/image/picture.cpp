// Picture life cycle: construction, the bitmap block, resolution, last error, the
// alpha plane, ownership moves and the two whole-picture turns (Flip, Mirror).
#include "image/picture.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "image/memory_hints.h"
#include "image/packed_pixels.h"

#include "image/byte_order.h"

namespace {

int32_t DpiToPelsPerMeter(int32_t dpi) {
    // 10000 / 254 (39.37007874015748) pixels per metre per dot per inch, rounded half up.
    constexpr double kInchesPerMetre = 1.0 / kMetresPerInch;
    const double pels = std::floor(static_cast<double>(dpi) * kInchesPerMetre + 0.5);
    if (pels >= static_cast<double>(INT32_MAX)) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(pels);
}

// The depths a picture holds: anything else rounds up to the next of them.
uint32_t SupportedBpp(uint32_t bpp) {
    return bpp <= 1 ? 1 : bpp <= 4 ? 4 : bpp <= 8 ? 8 : 24;
}

// The header of a picture without pixels: no size, no depth, and the pixels per metre
// of its resolution.
BitmapInfoHeader EmptyHeader(const PictureInformation& info) {
    BitmapInfoHeader header;
    header.xPelsPerMeter = DpiToPelsPerMeter(info.xDpi);
    header.yPelsPerMeter = DpiToPelsPerMeter(info.yDpi);
    return header;
}

}  // namespace

Picture::Picture(uint32_t type) {
    info_.type = type;
    info_.littleEndianHost = std::endian::native == std::endian::little;
    header_.xPelsPerMeter = DpiToPelsPerMeter(info_.xDpi);
    header_.yPelsPerMeter = DpiToPelsPerMeter(info_.yDpi);
}

// The owned buffers free themselves; a borrowing picture owns nothing of its lender.
Picture::~Picture() = default;

void Picture::FreeContents() {
    ownedBlock_.reset();
    ownedAlpha_.reset();
    block_ = nullptr;
    blockSize_ = 0;
    pixels_ = nullptr;
    alpha_ = nullptr;
    lender_ = nullptr;
    info_.nearestCacheValid = false;
}

void Picture::ReplaceDescriptionWith(const Picture& other) {
    FreeContents();
    header_ = other.header_;
    // The byte order flag describes the machine, not the picture.
    const bool littleEndianHost = info_.littleEndianHost;
    info_ = other.info_;
    info_.littleEndianHost = littleEndianHost;
}

uint8_t* Picture::Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type) {
    // A refused Create leaves an empty picture, not the measures of the one it freed.
    FreeContents();
    info_.effectiveWidth = 0;
    header_ = EmptyHeader(info_);

    bpp = SupportedBpp(bpp);
    if (width == 0 || height == 0) {
        SetError(PictureError::kEmptySize);
        return nullptr;
    }
    // Sizes are worked out in 64 bits so that no product can wrap; the padded rows
    // count against the limit too, since that is what gets allocated. The header keeps
    // signed 32-bit dimensions, so anything larger is refused as well.
    const uint64_t rowBytes = DibRowBytes(width, bpp);
    const uint64_t imageBytes = rowBytes * height;
    const uint64_t pixelBytes = static_cast<uint64_t>(width) * height * bpp / 8;
    if (pixelBytes > info_.memoryLimit || imageBytes > info_.memoryLimit ||
        width > static_cast<uint32_t>(INT32_MAX) || height > static_cast<uint32_t>(INT32_MAX)) {
        SetError(PictureError::kMemoryLimit);
        return nullptr;
    }

    const uint32_t colors = bpp < 24 ? 1u << bpp : 0;
    const size_t blockSize = kBitmapInfoHeaderSize + 4 * colors + static_cast<size_t>(imageBytes);
    // calloc: the palette must start zeroed, and zeroed pages cost nothing up front.
    Buffer block(static_cast<uint8_t*>(std::calloc(blockSize, 1)));
    if (!block) {
        SetError(PictureError::kCreateOutOfMemory);
        return nullptr;
    }
    // Every new picture's rows are written once from start to end (by a decoder,
    // Resample or IncreaseBpp): large pages spare the thousands of page faults a
    // multi-megapixel picture would otherwise take.
    AdviseLargeSequentialWrite(block.get(), blockSize);

    header_.width = static_cast<int32_t>(width);
    header_.height = static_cast<int32_t>(height);
    header_.bitCount = static_cast<uint16_t>(bpp);
    header_.sizeImage = static_cast<uint32_t>(imageBytes);
    header_.colorsUsed = colors;
    info_.effectiveWidth = static_cast<uint32_t>(rowBytes);
    info_.type = type;

    ownedBlock_ = std::move(block);
    block_ = ownedBlock_.get();
    blockSize_ = blockSize;
    pixels_ = block_ + kBitmapInfoHeaderSize + 4 * colors;
    WriteHeaderToBlock();
    return block_;
}

bool Picture::Destroy() {
    if (lender_) {
        return false;
    }
    FreeContents();
    info_.effectiveWidth = 0;
    header_ = EmptyHeader(info_);
    return true;
}

void Picture::WriteHeaderToBlock() {
    if (!block_) {
        return;
    }
    StoreU32LE(block_ + 0, header_.size);
    StoreU32LE(block_ + 4, static_cast<uint32_t>(header_.width));
    StoreU32LE(block_ + 8, static_cast<uint32_t>(header_.height));
    StoreU16LE(block_ + 12, header_.planes);
    StoreU16LE(block_ + 14, header_.bitCount);
    StoreU32LE(block_ + 16, header_.compression);
    StoreU32LE(block_ + 20, header_.sizeImage);
    StoreU32LE(block_ + 24, static_cast<uint32_t>(header_.xPelsPerMeter));
    StoreU32LE(block_ + 28, static_cast<uint32_t>(header_.yPelsPerMeter));
    StoreU32LE(block_ + 32, header_.colorsUsed);
    StoreU32LE(block_ + 36, header_.colorsImportant);
}

void Picture::SetColorsImportant(uint32_t count) {
    header_.colorsImportant = count;
    info_.nearestCacheValid = false;
    if (block_) {
        StoreU32LE(block_ + 36, count);
    }
}

void Picture::SetXDpi(int32_t dpi) {
    if (dpi <= 0) {
        dpi = 96;
    }
    info_.xDpi = dpi;
    header_.xPelsPerMeter = DpiToPelsPerMeter(dpi);
    if (block_) {
        StoreU32LE(block_ + 24, static_cast<uint32_t>(header_.xPelsPerMeter));
    }
}

void Picture::SetYDpi(int32_t dpi) {
    if (dpi <= 0) {
        dpi = 96;
    }
    info_.yDpi = dpi;
    header_.yPelsPerMeter = DpiToPelsPerMeter(dpi);
    if (block_) {
        StoreU32LE(block_ + 28, static_cast<uint32_t>(header_.yPelsPerMeter));
    }
}

void Picture::SetError(PictureError code, const char* text) {
    if (text == nullptr) {
        text = PictureErrorText(code);
    }
    if (code == PictureError::kNone || text[0] == '\0') {
        return;
    }
    PictureLastError& error = info_.lastError;
    const size_t length = strnlen(text, kLastErrorCapacity - 1);
    std::memmove(error.text, text, length);
    error.text[length] = '\0';
    error.code = code;
}

bool Picture::CreateAlpha() {
    if (!block_) {
        return false;
    }
    if (alpha_) {
        return true;
    }
    const uint64_t bytes = static_cast<uint64_t>(GetWidth()) * GetHeight();
    if (bytes > info_.memoryLimit) {
        SetError(PictureError::kMemoryLimit);
        return false;
    }
    Buffer plane(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(bytes))));
    if (!plane) {
        SetError(PictureError::kCreateOutOfMemory);
        return false;
    }
    std::memset(plane.get(), 255, static_cast<size_t>(bytes));
    ownedAlpha_ = std::move(plane);
    alpha_ = ownedAlpha_.get();
    return true;
}

void Picture::DeleteAlpha() {
    // A borrowed plane belongs to the lender; only our hold on it is dropped.
    ownedAlpha_.reset();
    alpha_ = nullptr;
}

bool Picture::TakeOver(Picture& other) {
    if (&other == this) {
        return true;
    }
    ReplaceDescriptionWith(other);
    ownedBlock_ = std::move(other.ownedBlock_);
    ownedAlpha_ = std::move(other.ownedAlpha_);
    block_ = other.block_;
    blockSize_ = other.blockSize_;
    pixels_ = other.pixels_;
    alpha_ = other.alpha_;
    lender_ = other.lender_;

    other.FreeContents();
    other.info_.effectiveWidth = 0;
    other.header_ = EmptyHeader(other.info_);
    return true;
}

bool Picture::Borrow(Picture& other) {
    if (&other == this) {
        return true;
    }
    ReplaceDescriptionWith(other);
    block_ = other.block_;
    blockSize_ = other.blockSize_;
    pixels_ = other.pixels_;
    alpha_ = other.alpha_;
    lender_ = &other;
    return true;
}

bool Picture::Copy(const Picture& other) {
    if (&other == this) {
        return true;
    }
    Buffer block;
    Buffer alpha;
    if (other.block_) {
        block.reset(static_cast<uint8_t*>(std::malloc(other.blockSize_)));
        if (!block) {
            SetError(PictureError::kCreateOutOfMemory);
            return false;
        }
        std::memcpy(block.get(), other.block_, other.blockSize_);
        if (other.alpha_) {
            const size_t bytes = static_cast<size_t>(other.GetWidth()) * other.GetHeight();
            alpha.reset(static_cast<uint8_t*>(std::malloc(bytes)));
            if (!alpha) {
                SetError(PictureError::kCreateOutOfMemory);
                return false;
            }
            std::memcpy(alpha.get(), other.alpha_, bytes);
        }
    }
    ReplaceDescriptionWith(other);
    if (block) {
        ownedBlock_ = std::move(block);
        block_ = ownedBlock_.get();
        blockSize_ = other.blockSize_;
        pixels_ = block_ + (other.pixels_ - other.block_);
        ownedAlpha_ = std::move(alpha);
        alpha_ = ownedAlpha_.get();
    }
    return true;
}

uint64_t PictureRowsBytes(uint64_t width, uint64_t height, uint32_t bpp) {
    return SaturatingProduct(DibRowBytes(width, SupportedBpp(bpp)), height);
}

uint64_t DecodeBytes(const DecodeCost& cost) {
    const uint64_t alpha = cost.alpha ? uint64_t{cost.width} * cost.height : 0;
    return SaturatingSum(SaturatingSum(PictureRowsBytes(cost.width, cost.height, cost.bpp), alpha),
                         cost.workingBytes);
}

uint64_t WorkingBytesWithinLimit(const DecodeCost& cost, uint64_t working, uint64_t limit) {
    DecodeCost picture = cost;
    picture.workingBytes = 0;
    const uint64_t held = DecodeBytes(picture);
    return held >= limit ? 0 : std::min(working, limit - held);
}

bool Picture::AdmitDecode(const DecodeCost& cost) {
    // The admission first: it knows what else the picture's user does with it, and
    // says so when it refuses.
    if (info_.decodeAdmission != nullptr && !info_.decodeAdmission->Admit(cost, *this)) {
        return false;
    }
    if (DecodeBytes(cost) > info_.memoryLimit) {
        SetError(PictureError::kMemoryLimit);
        return false;
    }
    return true;
}

void Picture::CopyInformation(const Picture& other) {
    if (&other == this) {
        return;
    }
    // The row width and the nearest-colour cache describe this picture's own block,
    // so they stay; everything else comes from the other picture.
    const uint32_t effectiveWidth = info_.effectiveWidth;
    const RgbQuad cacheColor = info_.nearestCacheColor;
    const uint8_t cacheIndex = info_.nearestCacheIndex;
    const bool cacheValid = info_.nearestCacheValid;
    const bool littleEndianHost = info_.littleEndianHost;
    info_ = other.info_;
    info_.effectiveWidth = effectiveWidth;
    info_.nearestCacheColor = cacheColor;
    info_.nearestCacheIndex = cacheIndex;
    info_.nearestCacheValid = cacheValid;
    info_.littleEndianHost = littleEndianHost;
    SetXDpi(info_.xDpi);
    SetYDpi(info_.yDpi);
}

bool Picture::Flip() {
    if (!block_) {
        return false;
    }
    const uint32_t height = GetHeight();
    const size_t rowBytes = info_.effectiveWidth;
    std::vector<uint8_t> spare(std::max<size_t>(rowBytes, GetWidth()));
    for (uint32_t bottom = 0, top = height - 1; bottom < top; ++bottom, --top) {
        uint8_t* low = pixels_ + static_cast<size_t>(bottom) * rowBytes;
        uint8_t* high = pixels_ + static_cast<size_t>(top) * rowBytes;
        std::memcpy(spare.data(), low, rowBytes);
        std::memcpy(low, high, rowBytes);
        std::memcpy(high, spare.data(), rowBytes);
        if (alpha_) {
            const size_t width = GetWidth();
            uint8_t* alphaLow = alpha_ + static_cast<size_t>(bottom) * width;
            uint8_t* alphaHigh = alpha_ + static_cast<size_t>(top) * width;
            std::memcpy(spare.data(), alphaLow, width);
            std::memcpy(alphaLow, alphaHigh, width);
            std::memcpy(alphaHigh, spare.data(), width);
        }
    }
    return true;
}

bool Picture::Mirror() {
    if (!block_) {
        return false;
    }
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    const uint32_t bpp = GetBpp();
    const size_t rowBytes = info_.effectiveWidth;
    std::vector<uint8_t> source(rowBytes);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = pixels_ + static_cast<size_t>(y) * rowBytes;
        if (bpp == 24) {
            for (uint32_t left = 0, right = width - 1; left < right; ++left, --right) {
                std::swap_ranges(row + 3 * static_cast<size_t>(left),
                                 row + 3 * static_cast<size_t>(left) + 3,
                                 row + 3 * static_cast<size_t>(right));
            }
        } else if (bpp == 8) {
            std::reverse(row, row + width);
        } else {
            // Packed pixels: rebuild the row from a copy, pixel by pixel, its padding
            // cleared.
            std::memcpy(source.data(), row, rowBytes);
            std::memset(row, 0, rowBytes);
            for (uint32_t x = 0; x < width; ++x) {
                StorePackedIndex(row, x, bpp, PackedIndex(source.data(), width - 1 - x, bpp));
            }
        }
        if (alpha_) {
            uint8_t* alphaRow = alpha_ + static_cast<size_t>(y) * width;
            std::reverse(alphaRow, alphaRow + width);
        }
    }
    return true;
}
