#include "cli/picture_inputs.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "slideshow/folder_scan.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool AddPath(const std::string& path, PictureInputsResult& result) {
    if (IsFolder(path)) {
        FolderScan scan = ScanFolderForPictures(path);
        if (!scan.error.empty()) {
            result.error = "cannot read folder '" + path + "': " + scan.error;
            return false;
        }
        result.paths.insert(result.paths.end(), scan.paths.begin(), scan.paths.end());
        return true;
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
        const std::string cannotRead = "cannot read list file '" + input.path + "': ";
        std::vector<std::string> listed;
        if (input.path == "-") {
            listed = ReadPictureList(standardInput);
        } else {
            // A folder opens as a stream that reads nothing: it would pass for an empty
            // list.
            if (IsFolder(input.path)) {
                result.error = cannotRead + std::strerror(EISDIR);
                return result;
            }
            std::ifstream file(input.path);
            if (!file) {
                result.error = cannotRead + std::strerror(errno);
                return result;
            }
            listed = ReadPictureList(file);
        }
        for (const std::string& path : listed) {
            // No name holds a NUL byte: such a line is not one path (a list written
            // with find -print0, say), and the system would see only its start.
            if (path.find('\0') != std::string::npos) {
                result.error =
                    cannotRead + "the line '" + path + "' holds a NUL byte; one path a line";
                return result;
            }
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
