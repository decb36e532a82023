#include "swf/swf_jpeg_bitmap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

constexpr uint16_t kDefineBitsJpeg2Header = 0x057F;  // code 21, long form
constexpr size_t kTagOverhead = 14;                  // header word, length, id, FF D9 FF D8, FF D9

void StoreU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void StoreU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

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

    // The file is read straight into the tag, behind its 12 framing bytes.
    std::vector<uint8_t> tag;
    try {
        tag.assign(fileSize + kTagOverhead, 0);
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

    StoreU16(tag.data(), kDefineBitsJpeg2Header);
    StoreU32(tag.data() + 2, static_cast<uint32_t>(fileSize + 8));
    StoreU16(tag.data() + 6, characterId);
    // Every bitmap carries its own tables; the empty SOI/EOI pair before the data
    // is the form SWF players expect for DefineBitsJPEG2.
    const uint8_t prefix[4] = {0xFF, 0xD9, 0xFF, 0xD8};
    std::memcpy(tag.data() + 8, prefix, sizeof prefix);
    tag[tag.size() - 2] = 0xFF;
    tag[tag.size() - 1] = 0xD9;
    tag_ = std::move(tag);
}
