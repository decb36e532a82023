#include "slideshow/picture_metrics.h"

#include "image/picture.h"
#include "slideshow/picture_size_text.h"

ShownPicture LoadPictureToShow(const std::string& path) {
    ShownPicture shown;
    auto picture = std::make_shared<Picture>(kFormatUnknown);
    if (picture->Load(path.c_str(), kFormatUnknown)) {
        shown.width = static_cast<int32_t>(picture->GetWidth());
        shown.height = static_cast<int32_t>(picture->GetHeight());
        shown.picture = std::move(picture);
    }
    shown.sizeText = PictureSizeText(shown.width, shown.height);
    return shown;
}
