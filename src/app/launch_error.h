// The message of a link that could not be opened.
#pragma once

#include <string>

#include "app/application_name.h"

class Platform;

// "Unable to open hyperlink:", an empty line, and the text for the failure's code
// (a shell or program-start code).
std::string LaunchErrorMessage(int code);

// Shows LaunchErrorMessage in a message box with the exclamation icon.
void ReportLaunchError(Platform& platform, int code, const std::string& caption = kApplicationName);
