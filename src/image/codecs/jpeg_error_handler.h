// Error handling shared by the JPEG decoder and encoder. libjpeg reports a fatal
// error by calling error_exit, which must not return; ours formats the library's
// message into the picture's last error and longjmps back to the point the codec
// armed with setjmp. Warnings and trace messages are not printed anywhere.
//
// Use:
//     JpegErrorHandler errors;
//     cinfo.err = InstallJpegErrorHandler(errors, picture);
//     if (setjmp(errors.jumpBuffer)) { jpeg_destroy_...(&cinfo); return false; }
//
// The function that calls setjmp must not own objects with destructors created
// after the setjmp call, since the longjmp skips them.
#pragma once

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

class Picture;

struct JpegErrorHandler {
    jpeg_error_mgr manager;  // first member: libjpeg sees only this part
    std::jmp_buf jumpBuffer;
    Picture* picture = nullptr;  // receives the message; may be null
};

// Fills handler.manager with libjpeg's standard routines, replaces error_exit and
// output_message with ours, and returns the manager for cinfo.err.
jpeg_error_mgr* InstallJpegErrorHandler(JpegErrorHandler& handler, Picture* picture);
