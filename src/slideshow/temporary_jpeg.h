// The temporary JPEG file every picture passes through on its way into the movie.
// It lives in a private folder (mode 0700, made with mkdtemp in $TMPDIR or /tmp), so
// no other user can read, replace or redirect it through a symbolic link.
#pragma once

#include <memory>
#include <string>

inline constexpr const char* kTemporaryJpegName = "Moxwell_Reelwright_090708.jpg";

class TemporaryJpeg {
  public:
    // Makes the private folder; the file itself does not exist until the first
    // picture is saved to Path(). Returns null and sets `error` on failure.
    static std::unique_ptr<TemporaryJpeg> Create(std::string& error);

    // Removes the file (when it exists) and the folder.
    ~TemporaryJpeg();
    TemporaryJpeg(const TemporaryJpeg&) = delete;
    TemporaryJpeg& operator=(const TemporaryJpeg&) = delete;

    const std::string& Path() const { return path_; }

  private:
    explicit TemporaryJpeg(std::string folder);

    std::string folder_;
    std::string path_;
};
