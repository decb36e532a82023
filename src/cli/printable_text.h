// Text as it may safely go to a terminal. Names come from the command line, list files
// and folders: one holding an escape sequence could move the cursor, recolour or clear
// the screen, or hide what follows it, and a NUL byte would cut the line.
#pragma once

#include <string>
#include <string_view>

// `text` with every control character (C0, DEL, and C1 written in UTF-8) and every
// byte that is not part of valid UTF-8 written as \xNN; the rest as it is.
std::string PrintableText(std::string_view text);
