// Netpbm pictures as the outside decoders write them (dwebp's PPM and PAM,
// ImageMagick's PAM of another program's PNG): grey (P5), colour (P6) and the
// arbitrary map (P7) with 1 to 4 samples a pixel, 8 or 16 bits a sample. Rows top
// first, samples big-endian.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace test_support {

struct NetpbmPicture {
    int width = 0;
    int height = 0;
    int channels = 0;               // 1 grey, 2 grey and alpha, 3 RGB, 4 RGB and alpha
    int maximum = 0;                // the largest sample value (255, 1023, 65535, ...)
    std::vector<uint16_t> samples;  // width x height x channels, rows top first

    bool Valid() const {
        return width > 0 && height > 0 && channels > 0 &&
               samples.size() == static_cast<size_t>(width) * height * channels;
    }
    uint16_t Sample(int x, int y, int channel) const {
        return samples[(static_cast<size_t>(y) * width + x) * channels + channel];
    }
};

// The picture in the file; an invalid one (Valid() false) when it cannot be read.
inline NetpbmPicture ReadNetpbmFile(const std::string& path) {
    NetpbmPicture picture;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    if (magic == "P5" || magic == "P6") {
        picture.channels = magic == "P5" ? 1 : 3;
        in >> picture.width >> picture.height >> picture.maximum;
        in.get();  // the one blank before the samples
    } else if (magic == "P7") {
        std::string key;
        while (in >> key && key != "ENDHDR") {
            std::string value;
            in >> value;
            if (key == "WIDTH") {
                picture.width = std::stoi(value);
            } else if (key == "HEIGHT") {
                picture.height = std::stoi(value);
            } else if (key == "DEPTH") {
                picture.channels = std::stoi(value);
            } else if (key == "MAXVAL") {
                picture.maximum = std::stoi(value);
            }
        }
        in.get();
    } else {
        return {};
    }
    if (picture.width <= 0 || picture.height <= 0 || picture.channels <= 0 ||
        picture.maximum <= 0 || picture.maximum > 65535) {
        return {};
    }
    const size_t count = static_cast<size_t>(picture.width) * picture.height * picture.channels;
    const int bytes = picture.maximum > 255 ? 2 : 1;
    std::vector<unsigned char> raw(count * bytes);
    in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    if (static_cast<size_t>(in.gcount()) != raw.size()) {
        return {};
    }
    picture.samples.resize(count);
    for (size_t i = 0; i < count; ++i) {
        picture.samples[i] =
            bytes == 2 ? static_cast<uint16_t>((raw[2 * i] << 8) | raw[2 * i + 1]) : raw[i];
    }
    return picture;
}

}  // namespace test_support
