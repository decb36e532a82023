// The application's name: the main window's caption and the caption of every
// message box the program raises.
#pragma once

#include "reelwright_version.h"

#ifndef REELWRIGHT_MAKER_ADDRESS
#define REELWRIGHT_MAKER_ADDRESS "www.reelwright.example"
#endif

inline constexpr const char* kApplicationName =
    "Reelwright " REELWRIGHT_VERSION_TEXT " by " REELWRIGHT_MAKER_ADDRESS;
