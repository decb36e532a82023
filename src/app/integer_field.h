// Reading a whole number from a dialog's edit field, the way the dialog's data
// exchange does it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// At most the first 31 characters count. Blanks and tabs may stand before and after a
// signed decimal number; nothing else may follow it. A value of zero is taken only
// when its first non-blank character is the digit 0, so empty text fails. Values
// outside the signed 32-bit range fail too.
std::optional<int32_t> ParseIntegerField(std::string_view text);
