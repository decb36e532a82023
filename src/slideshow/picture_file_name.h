// Which file names count as pictures when a whole folder is added: ten extensions
// (the original five formats, JPEG under two; WebP; HEIF under two, and AVIF),
// compared without regard to case. GIF, read when met by content, is not offered.
#pragma once

#include <string_view>

// True when the name ends in .jpg, .bmp, .png, .tga, .ico, .jpeg, .webp, .heic, .heif or
// .avif, in any case.
bool IsPictureFileName(std::string_view name);
