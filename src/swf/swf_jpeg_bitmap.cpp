#include "swf/swf_jpeg_bitmap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "swf/swf_bytes.h"
#include "swf/swf_tag.h"

namespace {

// Tag header, id, the FF D9 FF D8 pair before the data and FF D9 after it.
constexpr size_t kTagOverhead = 14;

// Closes the descriptor however the read ends.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

SwfJpegBitmap::SwfJpegBitmap(uint16_t characterId, const std::string& jpegPath)
    : SwfCharacter(kSwfCharacterJpegBitmap, characterId, 0) {
    // Non-blocking, so that a FIFO at the path cannot hang the build; regular
    // files ignore the flag.
    const FileDescriptor file(::open(jpegPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0) {
        readError_ = "cannot open " + jpegPath + ": " + std::strerror(errno);
        return;
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        readError_ = "cannot read " + jpegPath + ": " + std::strerror(errno);
        return;
    }
    if (!S_ISREG(status.st_mode)) {
        readError_ = "cannot read " + jpegPath + ": not a regular file";
        return;
    }
    const uint64_t fileSize = static_cast<uint64_t>(status.st_size);
    if (fileSize > kSwfMaxJpegFileSize) {
        readError_ = "cannot read " + jpegPath + ": the file is larger than 256 MiB";
        return;
    }

    // The file is read straight into the tag, behind its 12 framing bytes. Every
    // bitmap carries its own tables; the empty EOI/SOI pair before the data is the
    // form SWF players expect for DefineBitsJPEG2.
    std::vector<uint8_t> tag;
    try {
        tag.reserve(fileSize + kTagOverhead);
        SwfPutTagHeader(tag, SwfTagCode::kDefineBitsJpeg2, static_cast<uint32_t>(fileSize + 8));
        SwfPutU16(tag, characterId);
        tag.insert(tag.end(), {0xFF, 0xD9, 0xFF, 0xD8});
        tag.resize(tag.size() + fileSize);
    } catch (const std::bad_alloc&) {
        SetError("out of memory reading " + jpegPath);
        return;
    }
    uint8_t* data = tag.data() + 12;
    uint64_t done = 0;
    while (done < fileSize) {
        const ssize_t got = ::read(file.Get(), data + done, fileSize - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            readError_ = "cannot read " + jpegPath + ": " + std::strerror(errno);
            return;
        }
        if (got == 0) {
            // The file shrank while being read: its tag would hold zeros
            // where the picture should be.
            readError_ = "cannot read " + jpegPath + ": the file ended early";
            return;
        }
        done += static_cast<uint64_t>(got);
    }
    tag.push_back(0xFF);
    tag.push_back(0xD9);
    tag_ = std::move(tag);
}

SwfJpegBitmap::SwfJpegBitmap(uint16_t characterId, const std::vector<uint8_t>& jpegBytes)
    : SwfCharacter(kSwfCharacterJpegBitmap, characterId, 0) {
    if (jpegBytes.empty()) {
        return;
    }
    if (jpegBytes.size() > kSwfMaxJpegFileSize) {
        readError_ = "the JPEG data is larger than 256 MiB";
        return;
    }
    std::vector<uint8_t> tag;
    try {
        tag.reserve(jpegBytes.size() + kTagOverhead);
        SwfPutTagHeader(tag, SwfTagCode::kDefineBitsJpeg2,
                        static_cast<uint32_t>(jpegBytes.size() + 8));
        SwfPutU16(tag, characterId);
        tag.insert(tag.end(), {0xFF, 0xD9, 0xFF, 0xD8});
        tag.insert(tag.end(), jpegBytes.begin(), jpegBytes.end());
        tag.push_back(0xFF);
        tag.push_back(0xD9);
    } catch (const std::bad_alloc&) {
        SetError("out of memory making a bitmap of " + std::to_string(jpegBytes.size()) + " bytes");
        return;
    }
    tag_ = std::move(tag);
}
