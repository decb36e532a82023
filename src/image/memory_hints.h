// Hints to the operating system about how large picture buffers will be used.
#pragma once

#include <cstddef>

// Asks for large pages behind a big buffer that is about to be written from start
// to end (a decoder filling a picture's rows). On Linux with transparent huge
// pages in "madvise" mode this turns thousands of page faults into a few dozen;
// elsewhere, or for small buffers, it does nothing. Never changes the contents.
void AdviseLargeSequentialWrite(void* buffer, size_t bytes);
