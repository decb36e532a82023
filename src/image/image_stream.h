// The file abstraction every codec reads and writes through. Decoders never see a
// path: they get an ImageStream, so the same code serves files, memory buffers (the
// fuzz target, tests) and anything else that can read bytes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class ImageStream {
  public:
    virtual ~ImageStream() = default;
    virtual bool Close() = 0;
    // Reads up to count items of size bytes; returns the number of whole items read.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    // origin is SEEK_SET, SEEK_CUR or SEEK_END, as in C.
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual int64_t Tell() = 0;
    virtual int64_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual bool Error() = 0;
    virtual bool PutC(uint8_t c) = 0;
    // Returns the next byte, or EOF (-1) at the end.
    virtual int GetC() = 0;
    // Reads a line of at most maxCount - 1 characters, as fgets; null at the end.
    virtual char* GetS(char* string, int maxCount) = 0;
    // Reads one decimal integer after optional blanks. No codec here reads text; the
    // line and number reads complete the stream's interface for those that would.
    virtual bool Scanf(int32_t* value) = 0;
};

// A picture file opened for reading, or why it was not: the system's error number,
// or a file that exists but is no regular file (a pipe, a device, a socket).
struct RegularFileOpening {
    std::FILE* file = nullptr;
    int error = 0;
    bool notRegularFile = false;
};

// Opens `path` for reading only when it is a regular file, and so that the open
// itself cannot block: a pipe without a writer would wait for one forever, and a
// device may never answer. A folder fails with EISDIR. The caller closes the file.
RegularFileOpening OpenRegularFileForReading(const char* path);

// ImageStream over a C standard I/O stream. The stream is closed on destruction
// only when this object opened it.
class StdioImageStream final : public ImageStream {
  public:
    explicit StdioImageStream(FILE* file) : file_(file), owned_(false) {}
    // Opens path with the given fopen mode; check IsOpen() afterwards.
    StdioImageStream(const char* path, const char* mode);
    // Takes over a regular file opened for reading (OpenRegularFileForReading); its
    // failure is kept for OpenError and IsNotRegularFile.
    explicit StdioImageStream(const RegularFileOpening& opening);
    ~StdioImageStream() override;
    StdioImageStream(const StdioImageStream&) = delete;
    StdioImageStream& operator=(const StdioImageStream&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // The system's error number of an open that failed (for strerror), else 0.
    int OpenError() const { return openError_; }
    // The path names a pipe, device or socket, which was not opened.
    bool IsNotRegularFile() const { return notRegularFile_; }

    // A flag another thread may raise to stop the reading (null for none). Once it
    // is raised every read finds nothing, as at the end of the file, so whatever
    // decoder reads the stream stops within one read; large reads are split so that
    // none takes long. WasStopped then says the data was cut short.
    void SetStopFlag(const std::atomic<bool>* flag) { stopFlag_ = flag; }
    bool WasStopped() const { return stopped_; }

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override;
    int64_t Size() override;
    bool Flush() override;
    bool Eof() override;
    bool Error() override;
    bool PutC(uint8_t c) override;
    int GetC() override;
    char* GetS(char* string, int maxCount) override;
    bool Scanf(int32_t* value) override;

  private:
    // True, and remembered, once the stop flag is up.
    bool StopRaised();

    FILE* file_;
    bool owned_;
    int openError_ = 0;
    bool notRegularFile_ = false;
    const std::atomic<bool>* stopFlag_ = nullptr;
    bool stopped_ = false;
};

// ImageStream over bytes in memory: reads from a fixed buffer, or writes into a
// growing one. Used by the fuzz target and by tests that build files in memory.
class MemoryImageStream final : public ImageStream {
  public:
    // Reading: the bytes must outlive the stream.
    MemoryImageStream(const uint8_t* data, size_t size);
    // Writing: starts empty and grows.
    MemoryImageStream();

    const std::vector<uint8_t>& GetWritten() const { return written_; }

    bool Close() override { return true; }
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override { return position_; }
    int64_t Size() override { return static_cast<int64_t>(Length()); }
    bool Flush() override { return true; }
    bool Eof() override { return eof_; }
    bool Error() override { return false; }
    bool PutC(uint8_t c) override { return Write(&c, 1, 1) == 1; }
    int GetC() override;
    char* GetS(char* string, int maxCount) override;
    bool Scanf(int32_t* value) override;

  private:
    size_t Length() const { return readOnly_ ? readSize_ : written_.size(); }
    const uint8_t* Bytes() const { return readOnly_ ? readData_ : written_.data(); }

    const uint8_t* readData_ = nullptr;
    size_t readSize_ = 0;
    std::vector<uint8_t> written_;
    bool readOnly_;
    int64_t position_ = 0;
    bool eof_ = false;
};
