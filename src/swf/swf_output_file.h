// SwfOutputFile: the file a movie streams into. Bytes are gathered in a fixed
// buffer and handed to the system when it fills (a piece larger than the buffer
// goes straight through), so memory stays the same however long the movie grows.
// Every write, seek, flush and the close is checked; the first failure is kept
// with the system's error number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SwfOutputFile {
  public:
    SwfOutputFile() = default;
    // Discards a file that is still open.
    ~SwfOutputFile();
    SwfOutputFile(const SwfOutputFile&) = delete;
    SwfOutputFile& operator=(const SwfOutputFile&) = delete;

    // Creates path, or truncates the file there. False when it cannot.
    bool Create(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }

    // Appends count bytes after everything appended so far.
    bool Append(const uint8_t* bytes, size_t count);
    // Writes out what is buffered, then overwrites the file's first bytes with
    // `bytes` (the movie's header, now that its counts are known).
    bool OverwriteStart(const std::vector<uint8_t>& bytes);
    // Writes out what is buffered and closes the file. Fails when the file was
    // removed while it was being written: a movie nobody can open is no success.
    bool Close();
    // Empties the file and closes it, ignoring errors: what an unfinished movie
    // leaves behind. Nothing buffered is written.
    void Discard();

    // Why the first failure happened ("cannot write PATH: ...") and the system's
    // error number for it.
    const std::string& GetError() const { return error_; }
    int GetErrorNumber() const { return errorNumber_; }

  private:
    bool Flush();
    bool WriteAll(const uint8_t* bytes, size_t count);
    bool Fail(const char* step, int errorNumber, const std::string& reason);

    int fd_ = -1;
    std::string path_;
    std::vector<uint8_t> buffer_;
    std::string error_;
    int errorNumber_ = 0;
};
