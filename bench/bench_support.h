// Pieces the benchmarks share: photo-like pixels, a test picture drawn by ImageMagick
// into a private temporary folder, and the single Load the compare scripts time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/picture.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

// Fills a 24-bit picture with photo-like content: smooth ramps with some noise, so no
// path can shortcut.
inline void FillPhotoLike(Picture& picture) {
    uint32_t state = 2463534242u;
    for (uint32_t y = 0; y < picture.GetHeight(); ++y) {
        uint8_t* row = picture.GetBits(y);
        for (uint32_t x = 0; x < picture.GetWidth(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const uint32_t noise = state & 15;
            row[3 * x] = static_cast<uint8_t>((x / 16 + noise) & 0xFF);
            row[3 * x + 1] = static_cast<uint8_t>((y / 12 + noise) & 0xFF);
            row[3 * x + 2] = static_cast<uint8_t>(((x + y) / 28 + noise) & 0xFF);
        }
    }
}

// The file named by an environment variable, or else a picture that ImageMagick's
// convert draws into a private temporary folder, removed with this object. Path() is
// empty when the picture could not be made.
class ConvertedBenchPicture {
  public:
    // convertArguments are the words before the output name, for example
    // {"-size", "4000x3000", "-seed", "7", "plasma:fractal", "-quality", "90"}.
    ConvertedBenchPicture(const char* environmentVariable, const std::string& fileName,
                          std::vector<std::string> convertArguments) {
        if (const char* given = std::getenv(environmentVariable)) {
            path_ = given;
            return;
        }
        if (!scratch_.Valid()) {
            return;
        }
        path_ = scratch_.File(fileName);
        convertArguments.insert(convertArguments.begin(), "convert");
        convertArguments.push_back(path_);
        if (test_support::RunProgramToFile(convertArguments) != 0) {
            path_.clear();
        }
    }

    const std::string& Path() const { return path_; }

  private:
    test_support::ScratchFolder scratch_;
    std::string path_;
};

// One Picture::Load with detection by content, as `--load-once FILE` asks: the exit
// code is 0 on success, else 1 with the picture's error on stderr.
inline int LoadOnce(const char* path) {
    Picture picture;
    if (!picture.Load(path, 0)) {
        std::fprintf(stderr, "%s\n", picture.GetLastError());
        return 1;
    }
    return 0;
}
