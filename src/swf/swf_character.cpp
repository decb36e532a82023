#include "swf/swf_character.h"

#include <utility>

void SwfCharacter::SetError(std::string message) {
    if (error_.empty()) {
        error_ = std::move(message);
    }
}
