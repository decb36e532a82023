// Where valid UTF-8 starts and ends in text from outside (file names, list lines),
// for the places that show such text: a message line, a web page.
#pragma once

#include <cstddef>
#include <string_view>

// The length of the valid UTF-8 sequence at text[at]: 1 for ASCII, 2 to 4 for a
// well-formed sequence, 0 for a byte that starts none (a stray continuation byte, an
// overlong form, a surrogate, a code point past U+10FFFF, a sequence cut short).
size_t Utf8SequenceLength(std::string_view text, size_t at);
