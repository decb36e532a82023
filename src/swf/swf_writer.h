// SwfWriter: writes one uncompressed SWF movie ("FWS", version 3 unless
// SetVersion says otherwise; version 8 and later begin with the FileAttributes
// tag they require, written by Open right behind the header). The movie
// streams to its file: Open writes the header with a file length and frame count
// of 0 (the frame rectangle's size is known by then), each tag is built whole and
// written in call order, and Close writes the End tag, then goes back to the start
// and writes the header again with the real file length and frame count. Memory
// stays the same however long the movie grows. Tags appended before Open are held
// until Open writes them behind the header.
//
// Failure: Open returns 0 and Close returns false when the movie was not written
// completely; GetErrorCode() says what kind of failure it was, GetError() says it
// in words and GetErrorNumber() gives the system's error number when the file
// system refused. A record that cannot be encoded (a value out of its field's
// range), a write that fails or memory exhaustion puts the writer into a sticky
// failed state: later tags are dropped and Close finishes no movie. No exception
// leaves the writer.
//
// What stays on disk: a failed movie, and a writer destroyed while open, leave an
// empty file at the path rather than a movie nobody finished: what had streamed
// to it is truncated away. What cannot be truncated (/dev/full) and a file whose
// last close failed keep what reached them. A process that dies mid-movie leaves
// a header whose file length is still 0, which no player takes for a finished
// movie. The writer never removes the file: the caller knows whether the path was
// its own to remove.
//
// A writer writes one movie: after Close it refuses Open and drops tags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "swf/swf_action_list.h"
#include "swf/swf_character.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_output_file.h"
#include "swf/swf_rect.h"
#include "swf/swf_tag.h"

// The version every movie has unless SetVersion changes it.
inline constexpr uint8_t kSwfDefaultVersion = 3;
// The first version that requires the FileAttributes tag as its first tag.
inline constexpr uint8_t kSwfFileAttributesVersion = 8;

// The header's frame count is 16 bits: a movie holds at most this many frames.
inline constexpr uint16_t kSwfMaxFrameCount = 65535;

// Why a writer failed; GetError has the words.
enum class SwfWriterError : uint8_t {
    kNone,
    kFile,           // the file system refused: GetErrorNumber says why
    kOutOfMemory,    // memory ran out in one of the writer's operations
    kFrameTooLarge,  // the frame does not fit the header's RECT record
    kMovieTooLarge,  // past the header's 32-bit file length
    kTooManyFrames,  // past the header's 16-bit frame count
    kRecordRefused,  // a label, character, placement or action list that cannot be encoded
};

class SwfWriter {
  public:
    SwfWriter();
    virtual ~SwfWriter();
    SwfWriter(const SwfWriter&) = delete;
    SwfWriter& operator=(const SwfWriter&) = delete;

    // Creates (truncates) the file and writes the header with placeholder counts,
    // then any tags appended so far. Returns 1 on success, 0 on failure: already
    // open or closed (nothing changes), a frame too large for the RECT record (no
    // file is created), or the file cannot be created or written. Only the low
    // eight bits of frameRate are used, as whole frames per second. A writer that
    // has failed stays failed and refuses to open.
    int Open(const std::string& path, float frameWidth, float frameHeight, int frameRate);

    // The movie's version, 1 or more; before Open only (false, and nothing changes,
    // once the file is open or closed, or for version 0). From version 8 on, Open
    // writes the FileAttributes tag with no flag set (ActionScript 1 and 2, local
    // file access, no metadata), 44 11 00 00 00 00, as the first tag, ahead of any
    // tag appended before it.
    bool SetVersion(uint8_t version);
    uint8_t GetVersion() const { return version_; }

    // colour is 0x00BBGGRR; appends 43 02 RR GG BB.
    void SetBackgroundColor(uint32_t color);
    // Appends 40 00 and counts the frame. A frame beyond kSwfMaxFrameCount fails
    // the movie rather than wrap the header's count.
    void ShowFrame();
    // Appends a FrameLabel; the label ends at its first zero character.
    void AddFrameLabel(std::string_view text);

    // Appends the character's definition and, when place is set and the character
    // is not a bitmap, a PlaceObject2 for a new character at depth. A character
    // that is not placed takes kSwfNoDepth.
    void AddCharacter(SwfCharacter* character, uint16_t depth, bool place);
    // Appends a PlaceObject2 with the character's placement matrix and, when
    // given, a colour transform. ratio is not written for the kinds we make.
    void PlaceCharacter(SwfCharacter* character, uint16_t depth,
                        const SwfColorTerms* colorTransform, uint16_t ratio, bool newCharacter);
    // A PlaceObject2 that changes whatever occupies depth.
    void MoveCharacter(SwfCharacter* character, uint16_t depth, const SwfColorTerms* colorTransform,
                       uint16_t ratio);
    // Appends RemoveObject2.
    void RemoveDepth(uint16_t depth);
    // Encodes the list and appends its bytes.
    void AddActions(SwfActionList* actionList);

    // Writes the End tag and the real header and closes the file. Does nothing
    // when no file is open. Returns true only when the whole movie reached the
    // file (every write, seek and the close checked, and the file still there);
    // false otherwise, with GetError set and the file emptied (see above).
    bool Close();

    bool IsOpen() const { return file_.IsOpen(); }
    // True once something went wrong: Open could not create the file or refused
    // the frame size, a record was refused, memory ran out, or Close failed.
    bool Failed() const { return errorCode_ != SwfWriterError::kNone; }
    SwfWriterError GetErrorCode() const { return errorCode_; }
    const std::string& GetError() const { return error_; }
    // The system's error number when the failure was the file system's (the file
    // could not be created or written), else 0.
    int GetErrorNumber() const { return errorNumber_; }

    const std::string& GetOutputPath() const { return outputPath_; }
    uint16_t GetFrameCount() const { return frameCount_; }
    uint32_t GetFileLength() const { return fileLength_; }
    // The byte count of every tag appended so far (End tag and header excluded).
    uint64_t GetTagByteCount() const { return tagByteCount_; }

  private:
    // Sets the code and its words together; the first failure names the cause.
    void Fail(SwfWriterError code, std::string message, int errorNumber = 0);
    void FailWithFile();
    // Runs one public operation, so that memory running out anywhere in it fails the
    // movie ("out of memory " + doing) instead of leaving the writer. Returns what the
    // operation returns, or false when memory ran out.
    template <typename Operation>
    bool Guarded(const char* doing, Operation operation);
    // The header as it stands: signature, version, file length, frame
    // rectangle, frame rate and frame count.
    std::vector<uint8_t> BuildHeader(uint32_t fileLength, uint16_t frameCount);
    // Puts the FileAttributes tag behind the header bytes in `out` and counts it as
    // a tag.
    void PutFileAttributes(std::vector<uint8_t>& out);
    // Appends one whole tag; false (and the failed state) when it cannot.
    bool AppendTag(const uint8_t* bytes, size_t count);
    // Frames a body of a few bytes as a tag and appends it.
    bool AppendSmallTag(SwfTagCode code, std::initializer_list<uint8_t> body);
    bool AppendPlacement(SwfCharacter* character, uint16_t depth,
                         const SwfColorTerms* colorTransform, bool newCharacter);

    std::string outputPath_;
    char signature_[3] = {'F', 'W', 'S'};
    uint8_t version_ = kSwfDefaultVersion;
    uint32_t fileLength_ = 0;
    uint16_t frameRate_ = 0x0C00;
    uint16_t frameCount_ = 0;
    SwfOutputFile file_;
    SwfRect frameRect_;
    uint64_t headerByteCount_ = 0;
    uint64_t tagByteCount_ = 0;
    // Tags appended before Open, written behind the header by Open.
    std::vector<uint8_t> tagsBeforeOpen_;
    bool closed_ = false;
    bool complete_ = false;
    SwfWriterError errorCode_ = SwfWriterError::kNone;
    std::string error_;
    int errorNumber_ = 0;
};
