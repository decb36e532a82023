#include "swf/swf_output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Large enough that the small tags of a frame (shape, placement, ShowFrame) cost
// one system call per buffer, small enough to be no memory worth counting.
constexpr size_t kBufferSize = 65536;

}  // namespace

SwfOutputFile::~SwfOutputFile() {
    Discard();
}

bool SwfOutputFile::Fail(const char* step, int errorNumber, const std::string& reason) {
    if (error_.empty()) {
        error_ = std::string("cannot ") + step + " " + path_ + ": " + reason;
        errorNumber_ = errorNumber;
    }
    return false;
}

bool SwfOutputFile::Create(const std::string& path) {
    path_ = path;
    try {
        buffer_.reserve(kBufferSize);
    } catch (const std::bad_alloc&) {
        return Fail("create", ENOMEM, std::strerror(ENOMEM));
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        return Fail("create", error, std::strerror(error));
    }
    fd_ = fd;
    return true;
}

bool SwfOutputFile::WriteAll(const uint8_t* bytes, size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd_, bytes, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            const int error = errno;
            return Fail("write", error, std::strerror(error));
        }
        if (written == 0) {
            return Fail("write", EIO, "the system took no bytes");
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

bool SwfOutputFile::Flush() {
    const bool written = WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return written;
}

bool SwfOutputFile::Append(const uint8_t* bytes, size_t count) {
    if (fd_ < 0) {
        return false;
    }
    if (buffer_.size() + count > kBufferSize && !Flush()) {
        return false;
    }
    if (count >= kBufferSize) {
        return WriteAll(bytes, count);
    }
    buffer_.insert(buffer_.end(), bytes, bytes + count);
    return true;
}

bool SwfOutputFile::OverwriteStart(const std::vector<uint8_t>& bytes) {
    if (fd_ < 0 || !Flush()) {
        return false;
    }
    if (::lseek(fd_, 0, SEEK_SET) != 0) {
        const int error = errno;
        return Fail("seek in", error, std::strerror(error));
    }
    return WriteAll(bytes.data(), bytes.size());
}

bool SwfOutputFile::Close() {
    if (fd_ < 0 || !Flush()) {
        return false;
    }
    // Removing the file (or its folder) does not stop writes to it: they land in
    // a file without a name, which is gone once closed.
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        const int error = errno;
        return Fail("write", error, std::strerror(error));
    }
    if (status.st_nlink == 0) {
        return Fail("write", ENOENT, "the file was removed while the movie was being written");
    }
    const int fd = fd_;
    fd_ = -1;
    // Linux releases the descriptor even when close reports an error, so it is
    // never retried.
    if (::close(fd) != 0) {
        const int error = errno;
        return Fail("close", error, std::strerror(error));
    }
    return true;
}

void SwfOutputFile::Discard() {
    buffer_.clear();
    if (fd_ < 0) {
        return;
    }
    // Fails harmlessly for what is not a regular file, such as /dev/full; the
    // file is then left as it is, and nothing more is written to it.
    if (::ftruncate(fd_, 0) != 0) {
        errno = 0;
    }
    ::close(fd_);
    fd_ = -1;
}
