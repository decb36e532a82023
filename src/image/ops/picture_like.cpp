#include "image/ops/picture_like.h"

#include <algorithm>

bool CreatePictureLike(Picture& source, Picture& result, uint32_t width, uint32_t height) {
    result.CopyInformation(source);
    if (!result.Create(width, height, source.GetBpp(), source.GetType()) ||
        (source.HasAlpha() && !result.CreateAlpha())) {
        source.SetError(result.GetErrorCode(), result.GetLastError());
        return false;
    }
    if (source.GetNumColors() > 0) {
        result.SetPalette(source.GetPalette(), std::min<uint32_t>(256, source.GetNumColors()));
    }
    return true;
}
