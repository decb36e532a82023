// JPEG decoding through libjpeg. The decoded rows go straight into the picture's
// stored rows (bottom-up), colour rows in blue-green-red order as libjpeg-turbo
// writes them, so no full-picture copy is made.
#include <algorithm>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "image/codecs/exif_reader.h"
#include "image/codecs/jpeg_error_handler.h"
#include "image/codecs/picture_jpg.h"
#include "image/image_stream.h"

// After jpeglib.h, which jpeg_error_handler.h brings in.
#include <jerror.h>

namespace {

constexpr size_t kInputBufferSize = 4096;
// A progressive file may hold any number of scans, each of which makes libjpeg
// walk the whole coefficient buffer; real files have about ten. The bound stops a
// crafted file from keeping the decoder busy for minutes.
constexpr int kMaxScans = 500;
// Rows handed to libjpeg per call; it fills as many as its row group allows.
constexpr int kRowsPerCall = 16;

// libjpeg's source manager over an ImageStream.
struct StreamSource {
    jpeg_source_mgr manager;  // first member: libjpeg sees only this part
    ImageStream* stream;
    Picture* picture;  // its escape stops the reading
    bool startOfFile;
    JOCTET buffer[kInputBufferSize];
};

void InitSource(j_decompress_ptr cinfo) {
    reinterpret_cast<StreamSource*>(cinfo->src)->startOfFile = true;
}

// Leaves libjpeg through its error exit's jump with the picture's error set.
[[noreturn]] void Abandon(j_decompress_ptr cinfo, Picture& picture, PictureError error) {
    picture.SetError(error);
    std::longjmp(reinterpret_cast<JpegErrorHandler*>(cinfo->err)->jumpBuffer, 1);
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<StreamSource*>(cinfo->src);
    // Every read looks at the escape: a file libjpeg walks through looking for a
    // marker (gigabytes of filler) stops as promptly as one it decodes.
    if (source->picture->GetEscape() != 0) {
        Abandon(cinfo, *source->picture, PictureError::kCancelled);
    }
    size_t count = source->stream->Read(source->buffer, 1, kInputBufferSize);
    if (count == 0) {
        if (source->startOfFile) {
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        }
        // A truncated file: warn, then pretend the data ends here so that what was
        // decoded so far is kept, and say that the picture is incomplete.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->picture->SetDamage(PictureError::kJpegPrematureEnd);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = count;
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long byteCount) {
    if (byteCount <= 0) {
        return;
    }
    auto* source = reinterpret_cast<StreamSource*>(cinfo->src);
    const size_t skip = static_cast<size_t>(byteCount);
    if (skip <= source->manager.bytes_in_buffer) {
        source->manager.next_input_byte += skip;
        source->manager.bytes_in_buffer -= skip;
        return;
    }
    // Past the buffer: move the stream instead of reading what is skipped. A seek
    // past the end simply makes the next fill come up empty.
    const int64_t beyond = static_cast<int64_t>(skip - source->manager.bytes_in_buffer);
    source->manager.bytes_in_buffer = 0;
    source->manager.next_input_byte = source->buffer;
    if (!source->stream->Seek(beyond, SEEK_CUR)) {
        source->stream->Seek(0, SEEK_END);
    }
}

void TermSource(j_decompress_ptr /*cinfo*/) {}

struct Progress {
    jpeg_progress_mgr manager;  // first member
    Picture* picture;
};

// libjpeg's progress monitor, called as it works: stops decoding when the caller set
// the escape value or the file has too many scans.
void MonitorProgress(j_common_ptr cinfo) {
    auto* progress = reinterpret_cast<Progress*>(cinfo->progress);
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    Picture* picture = progress->picture;
    if (picture->GetEscape() != 0) {
        Abandon(decompress, *picture, PictureError::kCancelled);
    }
    if (decompress->input_scan_number > kMaxScans) {
        Abandon(decompress, *picture, PictureError::kJpegTooManyScans);
    }
}

// Four components (CMYK as Adobe writes it, values inverted) to blue, green, red.
void ConvertCmykRow(const uint8_t* source, uint8_t* target, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, source += 4, target += 3) {
        const unsigned k = source[3];
        target[0] = static_cast<uint8_t>(k * source[2] / 255);
        target[1] = static_cast<uint8_t>(k * source[1] / 255);
        target[2] = static_cast<uint8_t>(k * source[0] / 255);
    }
}

void SwapRedBlueRow(uint8_t* row, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, row += 3) {
        std::swap(row[0], row[2]);
    }
}

// libjpeg's output size for a source size at the scale m/8: rounded up.
uint64_t ScaledSize(uint64_t size, int m) {
    return (size * static_cast<uint64_t>(m) + 7) / 8;
}

// The numerator m of the smallest scale m/8 whose output still has at least the
// hinted width and height (either of them, for a hint that asks no more); 8 (full
// size) when nothing smaller does.
int ScaleNumeratorForHint(uint32_t width, uint32_t height, const DecodeSizeHint& hint) {
    for (int m = 1; m < 8; ++m) {
        const bool wideEnough = ScaledSize(width, m) >= hint.minWidth;
        const bool highEnough = ScaledSize(height, m) >= hint.minHeight;
        if (hint.eitherSide ? (wideEnough || highEnough) : (wideEnough && highEnough)) {
            return m;
        }
    }
    return 8;
}

// A quarter turn (EXIF orientations 5 to 8) swaps the picture's sides.
bool TurnsAQuarter(uint8_t orientation) {
    return orientation >= 5 && orientation <= 8;
}

// A progressive (or otherwise multi-scan) file makes libjpeg keep every DCT
// coefficient of the full-size picture, two bytes per sample of each component at its
// own sampling, whatever the output scale: up to 8/3 bytes per byte of the 24-bit
// picture. Single-scan files need none of it.
uint64_t CoefficientBufferBytes(jpeg_decompress_struct& cinfo) {
    if (!jpeg_has_multiple_scans(&cinfo)) {
        return 0;
    }
    uint64_t bytes = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info& component = cinfo.comp_info[i];
        const uint64_t across = component.width_in_blocks;
        const uint64_t down = component.height_in_blocks;
        const uint64_t h = std::max(component.h_samp_factor, 1);
        const uint64_t v = std::max(component.v_samp_factor, 1);
        // libjpeg rounds each component up to whole groups of its sampling factors.
        bytes += (across + h - 1) / h * h * ((down + v - 1) / v * v) * DCTSIZE2 * sizeof(JCOEF);
    }
    return bytes;
}

// libjpeg's other memory (its pools and row buffers) before it sets up the coefficient
// buffer grows with the width: about 25 bytes a column and component were measured;
// twice that and a megabyte are allowed.
uint64_t LibjpegWorkingBytes(const jpeg_decompress_struct& cinfo) {
    return (uint64_t{1} << 20) + uint64_t{64} * cinfo.image_width * cinfo.num_components;
}

// The DCT scale: the picture's JPEG scale when one is set, else the smallest that
// still covers the decode size hint, else full size. A hint about the upright picture
// has its sides swapped for a picture stored a quarter turn away.
void ChooseScale(jpeg_decompress_struct& cinfo, const Picture& picture, uint8_t orientation) {
    if (picture.GetJpegScale() != 0) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = picture.GetJpegScale();
        return;
    }
    DecodeSizeHint hint = picture.GetDecodeSizeHint();
    if (hint.minWidth == 0 && hint.minHeight == 0) {
        return;
    }
    if (hint.upright && TurnsAQuarter(orientation)) {
        std::swap(hint.minWidth, hint.minHeight);
    }
    const int numerator = ScaleNumeratorForHint(cinfo.image_width, cinfo.image_height, hint);
    if (numerator < 8) {
        cinfo.scale_num = static_cast<unsigned>(numerator);
        cinfo.scale_denom = 8;
    }
}

// Colour comes out in the picture's own blue-green-red order; grey, CMYK and unknown
// spaces as they are; anything else as red-green-blue.
void ChooseOutputColorSpace(jpeg_decompress_struct& cinfo) {
    switch (cinfo.out_color_space) {
        case JCS_RGB:
            cinfo.out_color_space = JCS_EXT_BGR;
            break;
        case JCS_GRAYSCALE:
        case JCS_CMYK:
        case JCS_UNKNOWN:
            break;
        default:
            cinfo.out_color_space = JCS_RGB;
            break;
    }
}

// What the picture will cost, counted before libjpeg allocates its buffers for it: a
// small hostile multi-scan file cannot make libjpeg take more than the limit allows,
// whatever picture it claims. libjpeg then gets just the memory that picture needs.
DecodeCost CostOf(jpeg_decompress_struct& cinfo) {
    DecodeCost cost;
    cost.width = cinfo.output_width;
    cost.height = cinfo.output_height;
    cost.bpp = cinfo.output_components == 1 ? 8 : 24;
    cost.grey = cinfo.output_components == 1;
    cost.workingBytes = CoefficientBufferBytes(cinfo);
    return cost;
}

void BoundLibjpegMemory(jpeg_decompress_struct& cinfo, const DecodeCost& cost) {
    cinfo.mem->max_memory_to_use = static_cast<long>(
        std::min<uint64_t>(cost.workingBytes + LibjpegWorkingBytes(cinfo), LONG_MAX));
}

int32_t ClampDpi(double dpi) {
    if (!(dpi > 0.0)) {
        return 0;  // also catches NaN; the setter makes it 96
    }
    if (dpi >= static_cast<double>(INT32_MAX)) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(dpi);
}

// Everything the decoding owns lives here, in the frame of the caller of
// RunDecompression, so that a longjmp out of libjpeg skips no destructor.
struct JpegDecodeState {
    jpeg_decompress_struct cinfo;
    JpegErrorHandler errors;
    StreamSource source;
    Progress progress;
    std::vector<uint8_t> rowBuffer;  // CMYK rows before conversion
    bool haveExif = false;
    double exifXResolution = 0.0;
    double exifYResolution = 0.0;
    double exifUnit = 0.0;
    uint8_t exifOrientation = 1;
};

class JpegDecoder {
  public:
    JpegDecoder(Picture& picture, JpegDecodeState& state) : picture_(picture), state_(state) {}
    // Runs libjpeg from header to the last row. Libjpeg errors longjmp back here.
    bool Run();

  private:
    void SetResolution();
    bool ReadRows();

    Picture& picture_;
    JpegDecodeState& state_;
};

bool JpegDecoder::Run() {
    jpeg_decompress_struct& cinfo = state_.cinfo;
    if (setjmp(state_.errors.jumpBuffer)) {
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.src = &state_.source.manager;
    cinfo.progress = &state_.progress.manager;
    jpeg_read_header(&cinfo, TRUE);
    ChooseScale(cinfo, picture_, state_.exifOrientation);
    ChooseOutputColorSpace(cinfo);
    jpeg_calc_output_dimensions(&cinfo);
    const int components = cinfo.output_components;
    if (components != 1 && components != 3 && components != 4) {
        picture_.SetError(PictureError::kJpegColorComponents);
        return false;
    }
    const DecodeCost cost = CostOf(cinfo);
    if (!picture_.AdmitDecode(cost)) {
        return false;
    }
    BoundLibjpegMemory(cinfo, cost);
    jpeg_start_decompress(&cinfo);
    if (picture_.Create(cinfo.output_width, cinfo.output_height, 8u * components, kFormatJpeg) ==
        nullptr) {
        return false;
    }
    SetResolution();
    picture_.SetOrientation(state_.exifOrientation);
    if (components == 1) {
        picture_.MakeGreyPalette();
    }
    if (!ReadRows()) {
        return false;
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

void JpegDecoder::SetResolution() {
    const jpeg_decompress_struct& cinfo = state_.cinfo;
    if (state_.haveExif && state_.exifUnit != 0.0 && state_.exifXResolution != 0.0 &&
        state_.exifYResolution != 0.0) {
        picture_.SetXDpi(ClampDpi(std::floor(state_.exifXResolution / state_.exifUnit + 0.5)));
        picture_.SetYDpi(ClampDpi(std::floor(state_.exifYResolution / state_.exifUnit + 0.5)));
        return;
    }
    switch (cinfo.density_unit) {
        case 2:  // dots per centimetre
            picture_.SetXDpi(
                static_cast<int32_t>(std::floor(cinfo.X_density * kCentimetresPerInch + 0.5)));
            picture_.SetYDpi(
                static_cast<int32_t>(std::floor(cinfo.Y_density * kCentimetresPerInch + 0.5)));
            break;
        case 1:  // dots per inch
            picture_.SetXDpi(cinfo.X_density);
            picture_.SetYDpi(cinfo.Y_density);
            break;
        case 0:  // only an aspect ratio: keep the horizontal, derive the vertical
            if (cinfo.X_density != 0 && cinfo.Y_density != 0) {
                const int64_t y =
                    static_cast<int64_t>(picture_.GetXDpi()) * cinfo.Y_density / cinfo.X_density;
                picture_.SetYDpi(static_cast<int32_t>(std::min<int64_t>(y, INT32_MAX)));
            }
            break;
        default:
            break;
    }
}

bool JpegDecoder::ReadRows() {
    jpeg_decompress_struct& cinfo = state_.cinfo;
    const uint32_t width = cinfo.output_width;
    const uint32_t height = cinfo.output_height;
    const int components = cinfo.output_components;
    const bool convertCmyk = components == 4;
    const bool swapRedBlue = components == 3 && cinfo.out_color_space != JCS_EXT_BGR;
    if (convertCmyk) {
        state_.rowBuffer.resize(static_cast<size_t>(width) * 4 * kRowsPerCall);
    }
    // Padding bytes past the pixels are cleared so saved rows are deterministic.
    const size_t pixelBytes = static_cast<size_t>(width) * (components == 1 ? 1 : 3);
    const size_t padding = picture_.GetEffectiveWidth() - pixelBytes;
    if (padding != 0) {
        for (uint32_t row = 0; row < height; ++row) {
            std::memset(picture_.GetBits(row) + pixelBytes, 0, padding);
        }
    }

    JSAMPROW rows[kRowsPerCall];
    while (cinfo.output_scanline < height) {
        const uint32_t first = cinfo.output_scanline;
        const int wanted = static_cast<int>(std::min<uint32_t>(kRowsPerCall, height - first));
        for (int i = 0; i < wanted; ++i) {
            // The top row of the file is the last stored row.
            rows[i] = convertCmyk ? state_.rowBuffer.data() + static_cast<size_t>(width) * 4 * i
                                  : picture_.GetBits(height - 1 - (first + i));
        }
        const JDIMENSION read = jpeg_read_scanlines(&cinfo, rows, wanted);
        if (read == 0) {
            // With our source manager this cannot happen (it never suspends); a
            // stalled decoder must not loop.
            picture_.SetError(PictureError::kJpegNoProgress);
            return false;
        }
        for (JDIMENSION i = 0; i < read; ++i) {
            uint8_t* target = picture_.GetBits(height - 1 - (first + i));
            if (convertCmyk) {
                ConvertCmykRow(rows[i], target, width);
            } else if (swapRedBlue) {
                SwapRedBlueRow(target, width);
            }
        }
    }
    return true;
}

}  // namespace

bool PictureJPG::Decode(ImageStream* file) {
    if (file == nullptr) {
        SetError(PictureError::kNullFile);
        return false;
    }
    const int64_t start = file->Tell();
    // A start-of-image marker makes the file a JPEG; libjpeg's reason for refusing
    // it is then the one to give.
    uint8_t startOfImage[2] = {};
    if (file->Read(startOfImage, 1, 2) == 2 && startOfImage[0] == 0xFF && startOfImage[1] == 0xD8) {
        SetFormatRecognition(FormatRecognition::kStrong);
    }
    if (!file->Seek(start, SEEK_SET)) {
        SetError(PictureError::kReadError);
        return false;
    }
    ExifReader exif;
    const bool haveExif = exif.ReadFromJpeg(*file);
    if (!file->Seek(start, SEEK_SET)) {
        SetError(PictureError::kReadError);
        return false;
    }

    auto state = std::make_unique<JpegDecodeState>();
    state->haveExif = haveExif;
    state->exifXResolution = exif.GetXResolution();
    state->exifYResolution = exif.GetYResolution();
    state->exifUnit = exif.GetResolutionUnit();
    state->exifOrientation = exif.GetOrientation();
    state->cinfo.err = InstallJpegErrorHandler(state->errors, this);
    state->source.manager.init_source = InitSource;
    state->source.manager.fill_input_buffer = FillInputBuffer;
    state->source.manager.skip_input_data = SkipInputData;
    state->source.manager.resync_to_restart = jpeg_resync_to_restart;
    state->source.manager.term_source = TermSource;
    state->source.manager.bytes_in_buffer = 0;
    state->source.manager.next_input_byte = nullptr;
    state->source.stream = file;
    state->source.picture = this;
    state->progress.manager.progress_monitor = MonitorProgress;
    state->progress.picture = this;

    const bool decoded = JpegDecoder(*this, *state).Run();
    jpeg_destroy_decompress(&state->cinfo);
    if (!decoded) {
        Destroy();
    }
    return decoded;
}
