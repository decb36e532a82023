#include "slideshow/temporary_jpeg.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

std::unique_ptr<TemporaryJpeg> TemporaryJpeg::Create(std::string& error) {
    const char* base = std::getenv("TMPDIR");
    if (base == nullptr || base[0] != '/') {
        base = "/tmp";
    }
    std::string pattern = base;
    while (pattern.size() > 1 && pattern.back() == '/') {
        pattern.pop_back();
    }
    pattern += "/reelwright-XXXXXX";

    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes the folder with mode 0700 under a name nobody could predict.
    if (mkdtemp(name.data()) == nullptr) {
        error = "Cannot create a temporary folder in " + std::string(base) + ": " +
                std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<TemporaryJpeg>(new TemporaryJpeg(name.data()));
}

TemporaryJpeg::TemporaryJpeg(std::string folder)
    : folder_(std::move(folder)), path_(folder_ + "/" + kTemporaryJpegName) {}

TemporaryJpeg::~TemporaryJpeg() {
    // The file may never have been written; a missing file is no failure here.
    std::remove(path_.c_str());
    rmdir(folder_.c_str());
}
