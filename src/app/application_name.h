// The application's name: the main window's caption and the caption of every
// message box the program raises.
#pragma once

#include "reelwright_addresses.h"
#include "reelwright_version.h"

inline constexpr const char* kApplicationName =
    "Reelwright " REELWRIGHT_VERSION_TEXT " by " REELWRIGHT_MAKER_ADDRESS;
