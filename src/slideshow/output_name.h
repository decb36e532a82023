// Checks and shapes the movie's output path as the user chose it.
#pragma once

#include <string>
#include <string_view>

// True when the path's last four characters are ".swf" in any case.
bool HasSwfExtension(std::string_view path);

// The path with its file name (the part after the last '/') in upper case; the folders
// are kept as typed, since on a case-sensitive file system upper-cased folders do not
// exist. Only ASCII letters change, so multi-byte characters stay intact.
std::string UpperCaseFileName(std::string_view path);
