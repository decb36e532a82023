#include "app/main_dialog_template.h"

#include "app/dialog_ids.h"

const DialogTemplate& MainDialogTemplate() {
    // The statics with id -1 are the labels and frames nobody addresses. The home
    // page label and the banner come from the maker's address and our artwork.
    static const DialogTemplate kTemplate{
        522,
        385,
        {
            {ControlKind::kButton, kIdSaveAsFlash, "Save as Flash", 18, 209, 53, 15},
            {ControlKind::kListView, kIdPictureList, "", 75, 23, 201, 202},
            {ControlKind::kButton, kIdAddImages, "Add Image(s)", 18, 23, 53, 15},
            {ControlKind::kButton, kIdAddFolder, "Add folder", 18, 54, 53, 15},
            {ControlKind::kButton, kIdRemove, "Remove", 18, 85, 53, 15},
            {ControlKind::kButton, kIdRemoveAll, "Remove All", 18, 116, 53, 15},
            {ControlKind::kButton, kIdMoveUp, "Move Up", 18, 147, 53, 15},
            {ControlKind::kButton, kIdMoveDown, "Move Down", 18, 178, 53, 15},
            {ControlKind::kBlackFrame, kIdPreviewArea, "", 286, 23, 218, 187},
            {ControlKind::kButton, kIdPreview, "Preview", 289, 257, 50, 14},
            {ControlKind::kButton, kIdBuyNow, "Buy Now", 345, 257, 50, 14},
            {ControlKind::kButton, kIdHelp, "Help", 401, 257, 50, 14},
            {ControlKind::kButton, kIdAbout, "About", 457, 257, 50, 14},
            {ControlKind::kLink, kIdHomePageLabel, "", 435, 274, 61, 8},
            {ControlKind::kStatic, -1, "picture count:", 22, 249, 57, 8},
            {ControlKind::kGroupBox, -1, "", 11, 9, 269, 227},
            {ControlKind::kStatic, -1, "picture size:", 128, 250, 53, 8},
            {ControlKind::kReadOnlyField, kIdPictureCount, "", 85, 250, 32, 14},
            {ControlKind::kReadOnlyField, kIdPictureSize, "", 192, 251, 73, 14},
            {ControlKind::kProgressBar, kIdProgress, "", 286, 221, 219, 14},
            {ControlKind::kStatic, kIdPercentLabel, "0%", 484, 239, 19, 8},
            {ControlKind::kStatic, -1, "Size:", 47, 273, 21, 8},
            {ControlKind::kEdit, kIdWidthField, "", 73, 273, 40, 14},
            {ControlKind::kEdit, kIdHeightField, "", 134, 273, 40, 14},
            {ControlKind::kStaticCentered, -1, "*", 120, 273, 8, 8},
            {ControlKind::kStatic, -1, "Frame Rate:", 180, 273, 45, 8},
            {ControlKind::kEditCentered, kIdRateField, "", 229, 273, 40, 14},
            {ControlKind::kGroupBox, -1, "", 11, 238, 269, 61},
            {ControlKind::kButton, kIdExit, "Exit", 460, 290, 50, 14},
            {ControlKind::kBitmap, kIdBanner, "", 21, 315, 312, 44},
            {ControlKind::kLink, kIdPartnerLink, "Free web design tools downloads", 359, 329, 125,
             8},
        }};
    return kTemplate;
}
