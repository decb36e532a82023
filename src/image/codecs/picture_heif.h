// HEIF pictures through libheif: HEIC (HEVC-coded, decoded by libde265), AVIF
// (AV1-coded, decoded by dav1d) and any other HEIF file whose codec libheif has.
#pragma once

#include "image/picture.h"

class PictureHEIF : public Picture {
  public:
    PictureHEIF() : Picture(kFormatHeif) {}
    // Fills this picture with the file's primary image, its rotation and mirroring
    // applied; the type becomes kFormatAvif or kFormatHeif by the file's brands.
    // False with the reason in the last error.
    bool Decode(ImageStream* file);
};
