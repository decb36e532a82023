// The pictures of one folder, in the order a user expects to see numbered photos:
// shared by the dialog's "Add folder" and the command line's folder arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct FolderScan {
    // Full paths of the picture files directly inside the folder, sorted by name.
    std::vector<std::string> paths;
    // Set when the folder cannot be read: the system's reason.
    std::string error;
};

// Files (or links to files) directly inside `folder` whose names pass
// IsPictureFileName; subfolders are never entered, and a subfolder (or pipe or
// device) whose name ends in a picture extension is skipped. Each path is the
// folder, one '/', the name.
FolderScan ScanFolderForPictures(const std::string& folder);

// True when `path` names something that exists but is no regular file (links are
// followed): a folder, pipe, device or socket, which is never a picture, and a pipe
// would block whatever opened it. A name that cannot be looked at is not known to be
// one: the build reports it as unreadable.
bool IsNoRegularFile(const std::string& path);

// Name order: letters compared without regard to case, runs of digits by their value
// (IMG_2 before IMG_10); names equal by that rule fall back to plain byte order, so
// the order is total and the same on every run.
bool NameOrderLess(std::string_view a, std::string_view b);
