#include "image/codecs/exif_reader.h"

#include <cstring>
#include <vector>

#include "image/byte_order.h"
#include "image/image_stream.h"
#include "image/stream_reader.h"

namespace {

constexpr uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kTagXResolution = 0x011A;
constexpr uint16_t kTagYResolution = 0x011B;
constexpr uint16_t kTagResolutionUnit = 0x0128;
constexpr uint16_t kTagOrientation = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;
// A JPEG file rarely has more than a dozen segments before its first scan; the
// bound keeps a file of nothing but tiny segments from costing a long scan.
constexpr int kMaxSegments = 4096;

// The TIFF structure inside the EXIF block, read in the block's own byte order.
class TiffView {
  public:
    TiffView(const uint8_t* data, size_t size, bool bigEndian)
        : data_(data), size_(size), bigEndian_(bigEndian) {}

    bool Fits(uint64_t offset, uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    uint16_t U16(uint64_t offset) const {
        const uint8_t* p = data_ + offset;
        return bigEndian_ ? LoadU16BE(p) : LoadU16LE(p);
    }
    uint32_t U32(uint64_t offset) const {
        const uint8_t* p = data_ + offset;
        return bigEndian_ ? LoadU32BE(p) : LoadU32LE(p);
    }

    // The value of an unsigned rational at offset; 0 when out of bounds or the
    // denominator is 0.
    double Rational(uint64_t offset) const {
        if (!Fits(offset, 8)) {
            return 0.0;
        }
        const uint32_t numerator = U32(offset);
        const uint32_t denominator = U32(offset + 4);
        return denominator == 0 ? 0.0 : static_cast<double>(numerator) / denominator;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    bool bigEndian_;
};

double UnitInInches(uint32_t exifUnit) {
    switch (exifUnit) {
        case 1:  // no absolute unit: the values are taken as they stand
        case 2:  // inch
            return 1.0;
        case 3:  // centimetre
            return 1.0 / 2.54;
        default:
            return 0.0;
    }
}

// What the first directory says of the main picture.
struct MainPictureFields {
    double xResolution = 0.0;
    double yResolution = 0.0;
    double unitInInches = 0.0;
    uint8_t orientation = 1;
};

// One 12-byte directory entry: the resolutions (rationals), their unit (a short or
// a long) and the orientation (one short, 1 to 8, held in the entry itself) are
// taken; other tags, entries of an unexpected type and values out of range are
// passed over.
void ReadEntry(const TiffView& view, uint64_t entry, MainPictureFields& fields) {
    const uint16_t tag = view.U16(entry);
    const uint16_t type = view.U16(entry + 2);
    if (view.U32(entry + 4) == 0) {  // no values
        return;
    }
    if ((tag == kTagXResolution || tag == kTagYResolution) && type == kTypeRational) {
        const double value = view.Rational(view.U32(entry + 8));
        (tag == kTagXResolution ? fields.xResolution : fields.yResolution) = value;
    } else if (tag == kTagResolutionUnit && type == kTypeShort) {
        fields.unitInInches = UnitInInches(view.U16(entry + 8));
    } else if (tag == kTagResolutionUnit && type == kTypeLong) {
        fields.unitInInches = UnitInInches(view.U32(entry + 8));
    } else if (tag == kTagOrientation && type == kTypeShort) {
        const uint16_t orientation = view.U16(entry + 8);
        if (orientation >= 1 && orientation <= 8) {
            fields.orientation = static_cast<uint8_t>(orientation);
        }
    }
}

}  // namespace

void ExifReader::Reset() {
    xResolution_ = 0.0;
    yResolution_ = 0.0;
    resolutionUnit_ = 0.0;
    orientation_ = 1;
}

bool ExifReader::ParseApp1(const uint8_t* data, size_t size) {
    Reset();
    if (data == nullptr || size < sizeof(kExifSignature) + 8 ||
        std::memcmp(data, kExifSignature, sizeof(kExifSignature)) != 0) {
        return false;
    }
    const uint8_t* tiff = data + sizeof(kExifSignature);
    const size_t tiffSize = size - sizeof(kExifSignature);
    bool bigEndian;
    if (tiff[0] == 'I' && tiff[1] == 'I') {
        bigEndian = false;
    } else if (tiff[0] == 'M' && tiff[1] == 'M') {
        bigEndian = true;
    } else {
        return false;
    }
    const TiffView view(tiff, tiffSize, bigEndian);
    if (view.U16(2) != 42) {
        return false;
    }
    MainPictureFields fields;
    fields.unitInInches = UnitInInches(2);  // the EXIF default

    // Only the first directory (the main picture) is read; the second one
    // describes the thumbnail, whose resolution is not the picture's.
    const uint64_t directory = view.U32(4);
    if (view.Fits(directory, 2)) {
        const uint32_t entryCount = view.U16(directory);
        for (uint32_t i = 0; i < entryCount; ++i) {
            const uint64_t entry = directory + 2 + 12ull * i;
            if (!view.Fits(entry, 12)) {
                break;
            }
            ReadEntry(view, entry, fields);
        }
    }
    xResolution_ = fields.xResolution;
    yResolution_ = fields.yResolution;
    resolutionUnit_ = fields.unitInInches;
    orientation_ = fields.orientation;
    return true;
}

bool ExifReader::ReadFromJpeg(ImageStream& stream) {
    Reset();
    StreamReader reader(stream);
    uint8_t start[2];
    if (!reader.ReadBytes(start, 2) || start[0] != 0xFF || start[1] != 0xD8) {
        return false;
    }

    for (int segment = 0; segment < kMaxSegments; ++segment) {
        uint8_t marker[2];
        if (!reader.ReadBytes(marker, 2) || marker[0] != 0xFF) {
            return false;
        }
        // Fill bytes: any number of 0xFF may precede the marker code.
        int fills = 0;
        while (marker[1] == 0xFF) {
            if (++fills > kMaxSegments || !reader.ReadU8(marker[1])) {
                return false;
            }
        }
        const uint8_t code = marker[1];
        if (code == 0xDA || code == 0xD9) {
            return false;  // scan data or end: no EXIF
        }
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            continue;  // no length field
        }
        uint8_t lengthBytes[2];
        if (!reader.ReadBytes(lengthBytes, 2)) {
            return false;
        }
        const uint16_t length = LoadU16BE(lengthBytes);
        if (length < 2) {
            return false;
        }
        const size_t bodySize = length - 2u;
        if (code == 0xE1 && bodySize >= sizeof(kExifSignature)) {
            std::vector<uint8_t> body(bodySize);  // at most 65533 bytes
            if (!reader.ReadBytes(body.data(), bodySize)) {
                return false;
            }
            if (ParseApp1(body.data(), body.size())) {
                return true;
            }
            continue;  // an APP1 of another kind (XMP): keep looking
        }
        if (!reader.Skip(bodySize)) {
            return false;
        }
    }
    return false;
}
