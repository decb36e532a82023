// One row's picture as the dialog shows it when the row is clicked or reached with
// the arrow keys: the picture at its own size, and its size text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class Picture;

struct ShownPicture {
    // Null when the file did not load.
    std::shared_ptr<Picture> picture;
    int32_t width = 0;
    int32_t height = 0;
    std::string sizeText;  // "640*480 pixels", "0*0 pixels" when it did not load
};

// Loads the picture by content, at its own size.
ShownPicture LoadPictureToShow(const std::string& path);
