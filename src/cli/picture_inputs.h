// Turns the command line's pictures, folders and list files into the ordered list
// of picture paths that the build takes.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "cli/cli_options.h"

struct PictureInputsResult {
    std::vector<std::string> paths;
    std::string error;  // set when a folder or list file cannot be read
};

// A folder contributes the picture files directly inside it, sorted by name; a list
// file contributes its lines, each taken like a path on the command line; any other
// path is taken as a picture as it is (its format is found from its content).
PictureInputsResult CollectPictures(const std::vector<CliInput>& inputs,
                                    std::istream& standardInput);

// One path a line; carriage returns at line ends and blank lines are dropped.
std::vector<std::string> ReadPictureList(std::istream& stream);
