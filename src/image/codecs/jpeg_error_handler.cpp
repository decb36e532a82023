#include "image/codecs/jpeg_error_handler.h"

#include "image/picture.h"

namespace {

// libjpeg calls this for fatal errors; it must not return.
[[noreturn]] void ExitWithMessage(j_common_ptr cinfo) {
    auto* handler = reinterpret_cast<JpegErrorHandler*>(cinfo->err);
    if (handler->picture != nullptr) {
        char message[JMSG_LENGTH_MAX] = {};
        (*cinfo->err->format_message)(cinfo, message);
        handler->picture->SetError(PictureError::kCodecLibrary, message);
    }
    std::longjmp(handler->jumpBuffer, 1);
}

// Warnings (such as a premature end of data) are counted by libjpeg but not shown:
// the program has no console to show them on.
void DiscardMessage(j_common_ptr /*cinfo*/) {}

}  // namespace

jpeg_error_mgr* InstallJpegErrorHandler(JpegErrorHandler& handler, Picture* picture) {
    jpeg_std_error(&handler.manager);
    handler.manager.error_exit = ExitWithMessage;
    handler.manager.output_message = DiscardMessage;
    handler.picture = picture;
    return &handler.manager;
}
