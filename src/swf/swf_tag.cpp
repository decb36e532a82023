#include "swf/swf_tag.h"

#include "swf/swf_bytes.h"

namespace {

// The short form's six length bits hold 0..62; 63 marks the long form.
constexpr uint32_t kLongFormMark = 0x3F;

bool TakesShortForm(SwfTagCode code) {
    return code == SwfTagCode::kEnd || code == SwfTagCode::kShowFrame ||
           code == SwfTagCode::kSetBackgroundColor || code == SwfTagCode::kFileAttributes;
}

}  // namespace

void SwfPutTagHeader(std::vector<uint8_t>& out, SwfTagCode code, uint32_t bodyLength) {
    const uint32_t shifted = static_cast<uint32_t>(code) << 6;
    if (TakesShortForm(code) && bodyLength < kLongFormMark) {
        SwfPutU16(out, static_cast<uint16_t>(shifted | bodyLength));
        return;
    }
    SwfPutU16(out, static_cast<uint16_t>(shifted | kLongFormMark));
    SwfPutU32(out, bodyLength);
}
