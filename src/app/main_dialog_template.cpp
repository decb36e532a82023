#include "app/main_dialog_template.h"

#include "app/dialog_ids.h"
#include "reelwright_addresses.h"

const DialogTemplate& MainDialogTemplate() {
    // The home page label shows the maker's address; the banner is our artwork.
    static const DialogTemplate kTemplate{
        522,
        385,
        {
            {kIdSaveAsFlash, ControlKind::kButton, "Save as Flash", 18, 209, 53, 15},
            {kIdPictureList, ControlKind::kListView, "", 75, 23, 201, 202},
            {kIdAddImages, ControlKind::kButton, "Add Image(s)", 18, 23, 53, 15},
            {kIdAddFolder, ControlKind::kButton, "Add folder", 18, 54, 53, 15},
            {kIdRemove, ControlKind::kButton, "Remove", 18, 85, 53, 15},
            {kIdRemoveAll, ControlKind::kButton, "Remove All", 18, 116, 53, 15},
            {kIdMoveUp, ControlKind::kButton, "Move Up", 18, 147, 53, 15},
            {kIdMoveDown, ControlKind::kButton, "Move Down", 18, 178, 53, 15},
            {kIdPreviewArea, ControlKind::kBlackFrame, "", 286, 23, 218, 187},
            {kIdPreview, ControlKind::kButton, "Preview", 289, 257, 50, 14},
            {kIdBuyNow, ControlKind::kButton, "Buy Now", 345, 257, 50, 14},
            {kIdHelp, ControlKind::kButton, "Help", 401, 257, 50, 14},
            {kIdAbout, ControlKind::kButton, "About", 457, 257, 50, 14},
            {kIdHomePageLabel, ControlKind::kLink, kMakerAddress, 435, 274, 61, 8},
            {kIdStatic, ControlKind::kText, "picture count:", 22, 249, 57, 8},
            {kIdStatic, ControlKind::kGroupBox, "", 11, 9, 269, 227},
            {kIdStatic, ControlKind::kText, "picture size:", 128, 250, 53, 8},
            {kIdPictureCount, ControlKind::kReadOnlyField, "", 85, 250, 32, 14},
            {kIdPictureSize, ControlKind::kReadOnlyField, "", 192, 251, 73, 14},
            {kIdProgress, ControlKind::kProgressBar, "", 286, 221, 219, 14},
            {kIdPercentLabel, ControlKind::kText, "0%", 484, 239, 19, 8},
            {kIdStatic, ControlKind::kText, "Size:", 47, 273, 21, 8},
            {kIdWidthField, ControlKind::kEdit, "", 73, 273, 40, 14},
            {kIdHeightField, ControlKind::kEdit, "", 134, 273, 40, 14},
            {kIdStatic, ControlKind::kCenteredText, "*", 120, 273, 8, 8},
            {kIdStatic, ControlKind::kText, "Frame Rate:", 180, 273, 45, 8},
            {kIdRateField, ControlKind::kCenteredEdit, "", 229, 273, 40, 14},
            {kIdStatic, ControlKind::kGroupBox, "", 11, 238, 269, 61},
            {kIdOptions, ControlKind::kButton, "Options...", 289, 290, 50, 14},
            {kIdExit, ControlKind::kButton, "Exit", 460, 290, 50, 14},
            {kIdBanner, ControlKind::kBitmap, "", 21, 315, 312, 44},
            {kIdPartnerLink, ControlKind::kClickableText, "Free web design tools downloads", 359,
             329, 125, 8},
        }};
    return kTemplate;
}
