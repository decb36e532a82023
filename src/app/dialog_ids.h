// The ids of the main dialog's controls and commands, and of the list's context menu,
// shared by the dialog's logic and the front end that shows it.
#pragma once

// Buttons and clickable statics of the main dialog.
inline constexpr int kIdSaveAsFlash = 1000;
inline constexpr int kIdPictureList = 1001;
inline constexpr int kIdAddImages = 1002;
inline constexpr int kIdAddFolder = 1003;
inline constexpr int kIdRemove = 1004;
inline constexpr int kIdRemoveAll = 1005;
inline constexpr int kIdMoveUp = 1006;
inline constexpr int kIdMoveDown = 1007;
inline constexpr int kIdPreviewArea = 1008;
inline constexpr int kIdPreview = 1009;
inline constexpr int kIdBuyNow = 1010;
inline constexpr int kIdHelp = 1011;
inline constexpr int kIdAbout = 1012;
inline constexpr int kIdPictureCount = 1013;
inline constexpr int kIdPictureSize = 1014;
inline constexpr int kIdProgress = 1015;
inline constexpr int kIdPercentLabel = 1016;
inline constexpr int kIdWidthField = 1017;
inline constexpr int kIdHeightField = 1018;
inline constexpr int kIdHomePageLabel = 1019;
inline constexpr int kIdRateField = 1020;
inline constexpr int kIdExit = 1034;
// "Options...", in the template's free space left of "Exit": the "Movie options".
inline constexpr int kIdOptions = 1037;
inline constexpr int kIdBanner = 1035;
inline constexpr int kIdPartnerLink = 1036;

// Items of the picture list's context menu.
inline constexpr int kIdMenuRemove = 32771;
inline constexpr int kIdMenuRemoveAll = 32772;
inline constexpr int kIdMenuAddFiles = 32773;
inline constexpr int kIdMenuAddFolder = 32774;
inline constexpr int kIdMenuPreview = 32775;
inline constexpr int kIdMenuSaveAsFlash = 32776;
// The two empty column-break items, separators in the menu as shown.
inline constexpr int kIdMenuBreak1 = 32777;
inline constexpr int kIdMenuBreak2 = 32779;

// The "About" item the dialog adds to its window menu.
inline constexpr int kIdSystemMenuAbout = 16;
