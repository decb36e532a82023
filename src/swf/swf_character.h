// SwfCharacter: the base of every definition with a character id (JPEG bitmaps,
// shapes). The writer appends a character's definition tag and, for shapes, a
// placement with the character's placement matrix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "swf/swf_matrix.h"
#include "swf/swf_memory_guard.h"

// The depth passed for a character that is defined but never placed, such as a
// bitmap, which is shown only through a shape's fill:
// writer.AddCharacter(&bitmap, kSwfNoDepth, false). The value is 0xFFFF.
inline constexpr uint16_t kSwfNoDepth = 0xFFFF;

enum SwfCharacterKind : int32_t {
    kSwfCharacterShape = 0,
    kSwfCharacterJpegBitmap = 2,
};

class SwfCharacter {
  public:
    virtual ~SwfCharacter() = default;
    SwfCharacter(const SwfCharacter&) = delete;
    SwfCharacter& operator=(const SwfCharacter&) = delete;

    // The complete definition tag, tag header included; empty when there is none.
    virtual const std::vector<uint8_t>& GetDefinition() = 0;
    // Byte count of that tag (call after GetDefinition).
    virtual size_t GetDefinitionLength() const = 0;

    int32_t GetKind() const { return kind_; }
    uint16_t GetCharacterId() const { return characterId_; }
    uint16_t GetDepth() const { return depth_; }
    SwfMatrix& GetPlacementMatrix() { return placementMatrix_; }
    const SwfMatrix& GetPlacementMatrix() const { return placementMatrix_; }

    // Empty while the character is sound. Otherwise why its definition could not
    // be built (a value out of its field's range, memory exhausted); the writer
    // refuses such a character and reports this text.
    const std::string& GetError() const { return error_; }

  protected:
    SwfCharacter(int32_t kind, uint16_t characterId, uint16_t depth)
        : kind_(kind), characterId_(characterId), depth_(depth) {}
    // Keeps the first error only: it names the original cause.
    void SetError(std::string message);
    // Runs one public operation; memory running out in it makes the character
    // unbuildable ("out of memory " + doing).
    template <typename Operation>
    void Guarded(const char* doing, Operation operation) {
        SwfGuardMemory(operation, [&] { SetError(std::string("out of memory ") + doing); });
    }

  private:
    int32_t kind_;
    uint16_t characterId_;
    uint16_t depth_;
    SwfMatrix placementMatrix_;
    std::string error_;
};
