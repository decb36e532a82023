// The two streams codecs read and write through: C standard I/O files, and bytes in
// memory.
#include "image/image_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

namespace {

bool IsBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads one decimal integer, after optional blanks and an optional sign, through
// getc/ungetc-like callbacks. Values beyond 32 bits saturate instead of wrapping.
template <typename Next, typename Unread>
bool ScanInteger(Next next, Unread unread, int32_t* value) {
    int c = next();
    while (c != EOF && IsBlank(c)) {
        c = next();
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = next();
    }
    int64_t magnitude = 0;
    bool anyDigit = false;
    while (c != EOF && c >= '0' && c <= '9') {
        anyDigit = true;
        magnitude = std::min<int64_t>(magnitude * 10 + (c - '0'), int64_t{INT32_MAX} + 1);
        c = next();
    }
    if (c != EOF) {
        unread(c);
    }
    if (!anyDigit) {
        return false;
    }
    if (value) {
        const int64_t signedValue = negative ? -magnitude : magnitude;
        *value = static_cast<int32_t>(std::clamp<int64_t>(signedValue, INT32_MIN, INT32_MAX));
    }
    return true;
}

// The most bytes one read asks of the file, so that a stop is seen between reads of
// a picture's rows however large they are.
constexpr size_t kLargestSingleRead = size_t{1} << 20;

}  // namespace

RegularFileOpening OpenRegularFileForReading(const char* path) {
    RegularFileOpening opening;
    if (path == nullptr) {
        opening.error = EINVAL;
        return opening;
    }
    // Looked at before it is opened, so no device is ever opened (opening one can
    // have effects of its own), and again after, in case the name was swapped in
    // between: the non-blocking open returns at once whatever it found.
    struct stat status {};
    if (stat(path, &status) != 0) {
        opening.error = errno;
        return opening;
    }
    if (S_ISDIR(status.st_mode)) {
        opening.error = EISDIR;
        return opening;
    }
    if (!S_ISREG(status.st_mode)) {
        opening.notRegularFile = true;
        return opening;
    }
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        opening.error = errno;
        return opening;
    }
    if (fstat(fd, &status) != 0) {
        opening.error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        opening.error = EISDIR;
    } else if (!S_ISREG(status.st_mode)) {
        opening.notRegularFile = true;
    }
    if (opening.error != 0 || opening.notRegularFile) {
        close(fd);
        return opening;
    }
    // Reading a regular file never blocks the way a pipe does; the flag goes, so
    // reads behave as any file's.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    opening.file = fdopen(fd, "rb");
    if (opening.file == nullptr) {
        opening.error = errno;
        close(fd);
    }
    return opening;
}

// --- StdioImageStream ------------------------------------------------------------------

StdioImageStream::StdioImageStream(const char* path, const char* mode)
    : file_(path && mode ? std::fopen(path, mode) : nullptr), owned_(true) {
    if (file_ == nullptr) {
        openError_ = path && mode ? errno : EINVAL;
    }
}

StdioImageStream::StdioImageStream(const RegularFileOpening& opening)
    : file_(opening.file),
      owned_(true),
      openError_(opening.error),
      notRegularFile_(opening.notRegularFile) {}

StdioImageStream::~StdioImageStream() {
    Close();
}

bool StdioImageStream::Close() {
    if (!file_) {
        return false;
    }
    bool closed = true;
    // A stream handed in by the caller stays open: it is the caller's to close.
    if (owned_) {
        closed = std::fclose(file_) == 0;
    }
    file_ = nullptr;
    return closed;
}

bool StdioImageStream::StopRaised() {
    if (!stopped_ && stopFlag_ != nullptr && stopFlag_->load(std::memory_order_relaxed)) {
        stopped_ = true;
    }
    return stopped_;
}

size_t StdioImageStream::Read(void* buffer, size_t size, size_t count) {
    if (!file_ || !buffer || size == 0 || StopRaised()) {
        return 0;
    }
    if (stopFlag_ == nullptr || count <= kLargestSingleRead / size) {
        return std::fread(buffer, size, count, file_);
    }
    // In pieces of whole items, looking at the flag between them.
    const size_t itemsPerPiece = std::max<size_t>(kLargestSingleRead / size, 1);
    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count && !StopRaised()) {
        const size_t want = std::min(itemsPerPiece, count - done);
        const size_t got = std::fread(bytes + done * size, size, want, file_);
        done += got;
        if (got < want) {
            break;
        }
    }
    return done;
}

size_t StdioImageStream::Write(const void* buffer, size_t size, size_t count) {
    if (!file_ || !buffer) {
        return 0;
    }
    return std::fwrite(buffer, size, count, file_);
}

bool StdioImageStream::Seek(int64_t offset, int origin) {
    if (!file_) {
        return false;
    }
    return fseeko(file_, static_cast<off_t>(offset), origin) == 0;
}

int64_t StdioImageStream::Tell() {
    if (!file_) {
        return -1;
    }
    return static_cast<int64_t>(ftello(file_));
}

int64_t StdioImageStream::Size() {
    if (!file_) {
        return -1;
    }
    const off_t here = ftello(file_);
    if (here < 0 || fseeko(file_, 0, SEEK_END) != 0) {
        return -1;
    }
    const off_t size = ftello(file_);
    fseeko(file_, here, SEEK_SET);
    return static_cast<int64_t>(size);
}

bool StdioImageStream::Flush() {
    return file_ && std::fflush(file_) == 0;
}

bool StdioImageStream::Eof() {
    return !file_ || std::feof(file_) != 0;
}

bool StdioImageStream::Error() {
    return !file_ || std::ferror(file_) != 0;
}

bool StdioImageStream::PutC(uint8_t c) {
    return file_ && std::fputc(c, file_) != EOF;
}

int StdioImageStream::GetC() {
    return file_ && !StopRaised() ? std::fgetc(file_) : EOF;
}

char* StdioImageStream::GetS(char* string, int maxCount) {
    if (!file_ || !string || maxCount <= 0 || StopRaised()) {
        return nullptr;
    }
    return std::fgets(string, maxCount, file_);
}

bool StdioImageStream::Scanf(int32_t* value) {
    if (!file_ || StopRaised()) {
        return false;
    }
    FILE* file = file_;
    return ScanInteger([file] { return std::fgetc(file); }, [file](int c) { std::ungetc(c, file); },
                       value);
}

// --- MemoryImageStream -------------------------------------------------------------------

MemoryImageStream::MemoryImageStream(const uint8_t* data, size_t size)
    : readData_(data), readSize_(data ? size : 0), readOnly_(true) {}

MemoryImageStream::MemoryImageStream() : readOnly_(false) {}

size_t MemoryImageStream::Read(void* buffer, size_t size, size_t count) {
    if (!buffer || size == 0 || count == 0) {
        return 0;
    }
    const size_t length = Length();
    if (static_cast<uint64_t>(position_) >= length) {
        eof_ = true;
        return 0;
    }
    // As fread: as many bytes as are there, counted in whole items.
    const size_t available = length - static_cast<size_t>(position_);
    const bool shortRead = count > available / size;
    const size_t wanted = shortRead ? available : size * count;
    if (shortRead) {
        eof_ = true;
    }
    std::memcpy(buffer, Bytes() + position_, wanted);
    position_ += static_cast<int64_t>(wanted);
    return wanted / size;
}

size_t MemoryImageStream::Write(const void* buffer, size_t size, size_t count) {
    if (readOnly_ || !buffer || size == 0 || count == 0) {
        return 0;
    }
    if (count > SIZE_MAX / size) {
        return 0;
    }
    const size_t bytes = size * count;
    const uint64_t end = static_cast<uint64_t>(position_) + bytes;
    if (end > written_.max_size()) {
        return 0;
    }
    try {
        if (end > written_.size()) {
            written_.resize(static_cast<size_t>(end));
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memcpy(written_.data() + position_, buffer, bytes);
    position_ = static_cast<int64_t>(end);
    return count;
}

bool MemoryImageStream::Seek(int64_t offset, int origin) {
    int64_t base = 0;
    switch (origin) {
        case SEEK_SET:
            base = 0;
            break;
        case SEEK_CUR:
            base = position_;
            break;
        case SEEK_END:
            base = static_cast<int64_t>(Length());
            break;
        default:
            return false;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) {
        return false;
    }
    // Like a file, the position may lie past the end; reads there simply find nothing.
    position_ = target;
    eof_ = false;
    return true;
}

int MemoryImageStream::GetC() {
    if (static_cast<uint64_t>(position_) >= Length()) {
        eof_ = true;
        return EOF;
    }
    return Bytes()[position_++];
}

char* MemoryImageStream::GetS(char* string, int maxCount) {
    if (!string || maxCount <= 0) {
        return nullptr;
    }
    int stored = 0;
    while (stored < maxCount - 1) {
        const int c = GetC();
        if (c == EOF) {
            break;
        }
        string[stored++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    if (stored == 0 && maxCount > 1) {
        return nullptr;
    }
    string[stored] = '\0';
    return string;
}

bool MemoryImageStream::Scanf(int32_t* value) {
    return ScanInteger([this] { return GetC(); },
                       [this](int) {
                           --position_;
                           eof_ = false;
                       },
                       value);
}
