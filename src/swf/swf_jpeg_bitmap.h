// SwfJpegBitmap: a DefineBitsJPEG2 tag carrying a JPEG file's bytes unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "swf/swf_character.h"

// JPEG files above this size are not read (the same limit as for a picture's
// pixels): a file that large is no picture of ours and would only exhaust memory.
inline constexpr uint64_t kSwfMaxJpegFileSize = 268435456;

class SwfJpegBitmap : public SwfCharacter {
  public:
    // Reads the file whole and builds the tag: 7F 05, body length N + 8, the id,
    // FF D9 FF D8, the N file bytes, FF D9. A file that cannot be read leaves the
    // bitmap empty (no tag); GetReadError then says why.
    SwfJpegBitmap(uint16_t characterId, const std::string& jpegPath);
    // The same tag from a JPEG file's bytes held in memory. No bytes, no tag.
    SwfJpegBitmap(uint16_t characterId, const std::vector<uint8_t>& jpegBytes);

    const std::vector<uint8_t>& GetDefinition() override { return tag_; }
    size_t GetDefinitionLength() const override { return tag_.size(); }

    // Empty when the file was read; otherwise why not (missing, not a regular
    // file, too large, read error). An unreadable file is not an encoding error:
    // the writer simply appends nothing for an empty bitmap.
    const std::string& GetReadError() const { return readError_; }

  private:
    std::vector<uint8_t> tag_;
    std::string readError_;
};
