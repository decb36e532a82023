// Which file names count as pictures when a whole folder is added: six extensions
// (five formats, JPEG under two), compared without regard to case.
#pragma once

#include <string_view>

// True when the name ends in .jpg, .bmp, .png, .tga, .ico or .jpeg, in any case.
bool IsPictureFileName(std::string_view name);
