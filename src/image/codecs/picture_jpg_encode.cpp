// Writing a picture as a JPEG through libjpeg: sequential Huffman coding with the
// standard tables, 4:2:0 sampling, the picture's quality and resolution. Grey-scale
// palette pictures become one-component grey JPEGs; other palette pictures are refused.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "image/codecs/jpeg_error_handler.h"
#include "image/codecs/picture_jpg.h"
#include "image/image_stream.h"
#include "image/packed_pixels.h"

namespace {

constexpr size_t kOutputBufferSize = 4096;
// Rows handed to libjpeg per call when they can be passed in place.
constexpr int kRowsPerCall = 16;

// libjpeg's destination manager over an ImageStream: full buffers go out with one
// Write each; a short write, or a stream error at the end, is libjpeg's file-write
// error, which reaches the picture's last error through the error handler.
struct StreamDestination {
    jpeg_destination_mgr manager;  // first member: libjpeg sees only this part
    ImageStream* stream;
    JOCTET buffer[kOutputBufferSize];
};

StreamDestination* DestinationOf(j_compress_ptr cinfo) {
    return reinterpret_cast<StreamDestination*>(cinfo->dest);
}

void InitDestination(j_compress_ptr cinfo) {
    StreamDestination* destination = DestinationOf(cinfo);
    destination->manager.next_output_byte = destination->buffer;
    destination->manager.free_in_buffer = kOutputBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    StreamDestination* destination = DestinationOf(cinfo);
    if (destination->stream->Write(destination->buffer, 1, kOutputBufferSize) !=
        kOutputBufferSize) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    destination->manager.next_output_byte = destination->buffer;
    destination->manager.free_in_buffer = kOutputBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    StreamDestination* destination = DestinationOf(cinfo);
    const size_t count = kOutputBufferSize - destination->manager.free_in_buffer;
    if (count > 0 && destination->stream->Write(destination->buffer, 1, count) != count) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    // A flush that fails loses the tail of the file just as surely as a short write.
    if (!destination->stream->Flush() || destination->stream->Error()) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

// The JFIF density fields are 16 bits wide.
UINT16 DensityOf(int32_t dpi) {
    return static_cast<UINT16>(std::clamp<int32_t>(dpi, 1, 65535));
}

// The settings of every JPEG this program writes: grey or blue-green-red input, the
// library's defaults, the picture's quality without forcing baseline tables, 4:2:0
// sampling (a grey picture's single component is marked 2x2 as well), and the
// picture's resolution in dots per inch.
void SetUpCompression(jpeg_compress_struct& cinfo, const Picture& picture) {
    cinfo.image_width = picture.GetWidth();
    cinfo.image_height = picture.GetHeight();
    if (picture.GetNumColors() != 0) {
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
    } else {
        // Rows are stored blue, green, red; libjpeg reads that order itself and
        // converts with the same tables as for red, green, blue, so the rows go in as
        // they are, without a swapped copy.
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_EXT_BGR;
    }
    jpeg_set_defaults(&cinfo);
    cinfo.optimize_coding = FALSE;
    cinfo.arith_code = FALSE;
    jpeg_set_quality(&cinfo, picture.GetJpegQuality(), FALSE);
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 2;
    for (int component = 1; component < cinfo.num_components; ++component) {
        cinfo.comp_info[component].h_samp_factor = 1;
        cinfo.comp_info[component].v_samp_factor = 1;
    }
    cinfo.density_unit = 1;  // dots per inch
    cinfo.X_density = DensityOf(picture.GetXDpi());
    cinfo.Y_density = DensityOf(picture.GetYDpi());
}

// 8- and 24-bit rows go to libjpeg in place, the top row (stored last) first.
void WriteStoredRows(jpeg_compress_struct& cinfo, Picture& picture) {
    const uint32_t height = picture.GetHeight();
    JSAMPROW rows[kRowsPerCall];
    while (cinfo.next_scanline < cinfo.image_height) {
        JDIMENSION count = 0;
        for (; count < kRowsPerCall && cinfo.next_scanline + count < height; ++count) {
            rows[count] = picture.GetBits(height - 1 - (cinfo.next_scanline + count));
        }
        jpeg_write_scanlines(&cinfo, rows, count);
    }
}

// 1- and 4-bit grey pictures: one byte per pixel, the index being the level, one row
// at a time through `expandedRow`.
void WriteExpandedRows(jpeg_compress_struct& cinfo, const Picture& picture, uint8_t* expandedRow) {
    const uint32_t height = picture.GetHeight();
    const uint32_t width = picture.GetWidth();
    const uint32_t bpp = picture.GetBpp();
    JSAMPROW row = expandedRow;
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* packed = picture.GetBits(height - 1 - cinfo.next_scanline);
        for (uint32_t x = 0; x < width; ++x) {
            expandedRow[x] = PackedIndex(packed, x, bpp);
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
}

// Runs libjpeg over the picture's rows. Kept free of objects with destructors created
// after setjmp: libjpeg's errors longjmp back here.
bool Compress(Picture& picture, ImageStream& stream, uint8_t* expandedRow) {
    jpeg_compress_struct cinfo{};
    JpegErrorHandler errors;
    StreamDestination destination;
    cinfo.err = InstallJpegErrorHandler(errors, &picture);
    if (setjmp(errors.jumpBuffer)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    destination.manager.init_destination = InitDestination;
    destination.manager.empty_output_buffer = EmptyOutputBuffer;
    destination.manager.term_destination = TermDestination;
    destination.stream = &stream;
    cinfo.dest = &destination.manager;
    SetUpCompression(cinfo, picture);
    jpeg_start_compress(&cinfo, TRUE);
    if (expandedRow == nullptr) {
        WriteStoredRows(cinfo, picture);
    } else {
        WriteExpandedRows(cinfo, picture, expandedRow);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool PictureJPG::Encode(ImageStream* file) {
    if (file == nullptr) {
        SetError(PictureError::kNullFile);
        return false;
    }
    if (!IsValid()) {
        SetError(PictureError::kJpegNoPicture);
        return false;
    }
    if (GetNumColors() != 0 && !IsGrayScale()) {
        SetError(PictureError::kJpegNotRgbOrGrey);
        return false;
    }
    // Packed grey pixels are widened to a byte each, one row at a time; 8- and 24-bit
    // rows go to libjpeg in place.
    std::vector<uint8_t> expandedRow;
    if (GetBpp() < 8) {
        expandedRow.resize(GetWidth());
    }
    return Compress(*this, *file, expandedRow.empty() ? nullptr : expandedRow.data());
}
