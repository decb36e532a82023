#include "swf/swf_action_list.h"

#include <string>

#include "swf/swf_bytes.h"
#include "swf/swf_memory_guard.h"
#include "swf/swf_tag.h"

namespace {

// The text up to its first zero character, as the file will hold it.
std::string_view UpToZero(std::string_view text) {
    const size_t end = text.find('\0');
    return end == std::string_view::npos ? text : text.substr(0, end);
}

}  // namespace

void SwfActionList::AddStop() {
    Push(0x07, 0);
}
void SwfActionList::AddPlay() {
    Push(0x06, 0);
}
void SwfActionList::AddNextFrame() {
    Push(0x04, 0);
}
void SwfActionList::AddPreviousFrame() {
    Push(0x05, 0);
}

void SwfActionList::AddGotoFrame(uint16_t frame) {
    Push(0x81, 2, frame);
}

void SwfActionList::AddWaitForFrame(uint16_t frame, uint8_t skipCount) {
    Push(0x8A, 3, frame, skipCount);
}

void SwfActionList::AddGetUrl(std::string_view url, std::string_view target) {
    AddTextAction(0x83, url, target, true);
}

void SwfActionList::AddSetTarget(std::string_view name) {
    AddTextAction(0x8B, name, {}, false);
}

void SwfActionList::AddGotoLabel(std::string_view label) {
    AddTextAction(0x8C, label, {}, false);
}

void SwfActionList::AddTextAction(uint8_t code, std::string_view first, std::string_view second,
                                  bool twoTexts) {
    first = UpToZero(first);
    second = UpToZero(second);
    const size_t bodyLength = first.size() + 1 + (twoTexts ? second.size() + 1 : 0);
    if (bodyLength > 0xFFFF) {
        // A longer body would wrap its 16-bit length and garble every later action.
        fits_ = false;
        return;
    }
    Push(code, static_cast<uint16_t>(bodyLength), 0, 0, first, second);
}

void SwfActionList::Push(uint8_t code, uint16_t bodyLength, uint16_t frame, uint8_t skipCount,
                         std::string_view first, std::string_view second) {
    SwfGuardMemory(
        [&] {
            actions_.push_back(
                {code, bodyLength, frame, skipCount, std::string(first), std::string(second)});
        },
        // A list missing an action must not be written.
        [this] { fits_ = false; });
}

const std::vector<uint8_t>& SwfActionList::Encode() {
    SwfGuardMemory([this] { EncodeInto(); },
                   [this] {
                       encoded_.clear();
                       encoded_.shrink_to_fit();
                       fits_ = false;
                   });
    return encoded_;
}

void SwfActionList::EncodeInto() {
    encoded_.clear();
    if (!fits_) {
        return;
    }
    size_t actionBytes = 0;
    for (const SwfAction& action : actions_) {
        actionBytes += action.bodyLength > 0 ? action.bodyLength + 3u : 1u;
    }
    if (actionBytes + 1 > 0xFFFFFFFFu) {
        fits_ = false;
        return;
    }
    encoded_.reserve(actionBytes + (withoutTagHeader_ ? 1 : 7));
    if (!withoutTagHeader_) {
        SwfPutTagHeader(encoded_, SwfTagCode::kDoAction, static_cast<uint32_t>(actionBytes + 1));
    }
    for (const SwfAction& action : actions_) {
        encoded_.push_back(action.code);
        if (action.bodyLength == 0) {
            continue;
        }
        SwfPutU16(encoded_, action.bodyLength);
        switch (action.code) {
            case 0x81:
                SwfPutU16(encoded_, action.frame);
                break;
            case 0x8A:
                SwfPutU16(encoded_, action.frame);
                encoded_.push_back(action.skipCount);
                break;
            default:
                encoded_.insert(encoded_.end(), action.first.begin(), action.first.end());
                encoded_.push_back(0);
                if (action.code == 0x83) {
                    encoded_.insert(encoded_.end(), action.second.begin(), action.second.end());
                    encoded_.push_back(0);
                }
                break;
        }
    }
    encoded_.push_back(0);  // end of the actions
}
