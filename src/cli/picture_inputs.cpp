#include "cli/picture_inputs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "slideshow/picture_file_name.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The picture files directly inside folder (no subfolders), sorted by name.
bool ListFolderPictures(const std::string& folder, std::vector<std::string>& paths,
                        std::string& error) {
    DIR* directory = opendir(folder.c_str());
    if (!directory) {
        error = "cannot read folder '" + folder + "': " + std::strerror(errno);
        return false;
    }
    const std::string prefix = (!folder.empty() && folder.back() == '/') ? folder : folder + "/";
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (IsPictureFileName(name) && IsRegularFile(prefix + name)) {
            names.push_back(name);
        }
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        paths.push_back(prefix + name);
    }
    return true;
}

bool AddPath(const std::string& path, PictureInputsResult& result) {
    if (IsFolder(path)) {
        return ListFolderPictures(path, result.paths, result.error);
    }
    result.paths.push_back(path);
    return true;
}

}  // namespace

PictureInputsResult CollectPictures(const std::vector<CliInput>& inputs,
                                    std::istream& standardInput) {
    PictureInputsResult result;
    for (const CliInput& input : inputs) {
        if (!input.isList) {
            if (!AddPath(input.path, result)) {
                return result;
            }
            continue;
        }
        std::vector<std::string> listed;
        if (input.path == "-") {
            listed = ReadPictureList(standardInput);
        } else {
            std::ifstream file(input.path);
            if (!file) {
                result.error =
                    "cannot read list file '" + input.path + "': " + std::strerror(errno);
                return result;
            }
            listed = ReadPictureList(file);
        }
        for (const std::string& path : listed) {
            if (!AddPath(path, result)) {
                return result;
            }
        }
    }
    return result;
}

std::vector<std::string> ReadPictureList(std::istream& stream) {
    std::vector<std::string> paths;
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            paths.push_back(line);
        }
    }
    return paths;
}
