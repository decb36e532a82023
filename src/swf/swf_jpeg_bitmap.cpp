#include "swf/swf_jpeg_bitmap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

// The tag for `size` bytes of JPEG data with its framing around them: 7F 05, the body
// length, the id and FF D9 FF D8, then room for the data at offset 12, then FF D9.
// Every bitmap carries its own tables; the empty EOI/SOI pair before the data is the
// form SWF players expect for DefineBitsJPEG2.
std::vector<uint8_t> FramedTag(uint16_t characterId, uint64_t size) {
    std::vector<uint8_t> tag;
    tag.reserve(size + kTagOverhead);
    SwfPutTagHeader(tag, SwfTagCode::kDefineBitsJpeg2, static_cast<uint32_t>(size + 8));
    SwfPutU16(tag, characterId);
    tag.insert(tag.end(), {0xFF, 0xD9, 0xFF, 0xD8});
    tag.resize(tag.size() + size);
    tag.insert(tag.end(), {0xFF, 0xD9});
    return tag;
}

// Reads the whole file into `data`; false, with `error` set, when it cannot.
bool ReadWhole(int fd, uint8_t* data, uint64_t size, const std::string& path, std::string& error) {
    uint64_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, data + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (got == 0) {
            // The file shrank while being read: its tag would hold zeros where the
            // picture should be.
            error = "cannot read " + path + ": the file ended early";
            return false;
        }
        done += static_cast<uint64_t>(got);
    }
    return true;
}

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
    // The file is read straight into the tag, behind its 12 framing bytes.
    SwfGuardMemory(
        [&] {
            std::vector<uint8_t> tag = FramedTag(characterId, fileSize);
            if (ReadWhole(file.Get(), tag.data() + 12, fileSize, jpegPath, readError_)) {
                tag_ = std::move(tag);
            }
        },
        [&] { SetError("out of memory reading " + jpegPath); });
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
    SwfGuardMemory(
        [&] {
            tag_ = FramedTag(characterId, jpegBytes.size());
            std::copy(jpegBytes.begin(), jpegBytes.end(), tag_.begin() + 12);
        },
        [&] {
            tag_.clear();
            SetError("out of memory making a bitmap of " + std::to_string(jpegBytes.size()) +
                     " bytes");
        });
}
