// A small reader for the EXIF block of a JPEG file. The JPEG decoder only needs
// to know whether the file carries EXIF data and, if so, its horizontal and
// vertical resolution and their unit, and how the camera was held (the
// Orientation tag); nothing else of EXIF is read.
//
// Everything read from the file is treated as hostile: every offset is checked
// against the block's size before it is followed, and no read leaves the block.
#pragma once

#include <cstddef>
#include <cstdint>

class ImageStream;

class ExifReader {
  public:
    // Scans the JPEG markers from the stream's current position up to the start of
    // the compressed data and reads the first EXIF block it finds. The stream is
    // left where the scan stopped; the caller seeks back. True when EXIF was found.
    bool ReadFromJpeg(ImageStream& stream);

    // Parses the body of an APP1 segment (starting with "Exif\0\0"). True when it
    // holds a readable EXIF header; resolution fields stay 0 when absent or broken.
    bool ParseApp1(const uint8_t* data, size_t size);

    // Resolution values as stored (a rational), 0 when absent or undefined.
    double GetXResolution() const { return xResolution_; }
    double GetYResolution() const { return yResolution_; }
    // Length of one resolution unit in inches: 1 for inches (EXIF unit 2, also the
    // EXIF default when the tag is absent, and unit 1, "no absolute unit", which we
    // take as given), 1/2.54 for centimetres (unit 3); 0 for an unknown unit.
    // Dots per inch are resolution / unit.
    double GetResolutionUnit() const { return resolutionUnit_; }
    // The Orientation tag of the main picture: 1 to 8 (see PictureOrientation), 1
    // when absent or out of that range.
    uint8_t GetOrientation() const { return orientation_; }

  private:
    void Reset();

    double xResolution_ = 0.0;
    double yResolution_ = 0.0;
    double resolutionUnit_ = 0.0;
    uint8_t orientation_ = 1;
};
