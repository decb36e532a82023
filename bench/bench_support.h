// Pieces the picture-loading benchmarks share: a test picture drawn by ImageMagick
// into a private temporary folder, and the single Load the compare scripts time.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/picture.h"

// The file named by an environment variable, or else a picture that ImageMagick's
// convert draws into a private temporary folder, removed with this object. Path() is
// empty when the picture could not be made.
class ConvertedBenchPicture {
  public:
    // convertArguments is everything before the output name, for example
    // "-size 4000x3000 -seed 7 plasma:fractal -quality 90".
    ConvertedBenchPicture(const char* environmentVariable, const std::string& folderPrefix,
                          const std::string& fileName, const std::string& convertArguments) {
        if (const char* given = std::getenv(environmentVariable)) {
            path_ = given;
            return;
        }
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp && *tmp ? tmp : "/tmp") + "/" + folderPrefix + ".XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        folder_ = pattern;
        made_ = folder_ + "/" + fileName;
        path_ = made_;
        const std::string command = "convert " + convertArguments + " '" + made_ + "'";
        if (std::system(command.c_str()) != 0)
            path_.clear();
    }
    ~ConvertedBenchPicture() {
        if (folder_.empty())
            return;
        std::remove(made_.c_str());  // also what a failed convert left behind
        rmdir(folder_.c_str());
    }
    ConvertedBenchPicture(const ConvertedBenchPicture&) = delete;
    ConvertedBenchPicture& operator=(const ConvertedBenchPicture&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string folder_;
    std::string made_;  // the file convert writes, empty when given
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
