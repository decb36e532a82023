#include "slideshow/movie_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// The mode a file created now gets: 0666 without the process's umask, read without
// changing it (changing it would race with other threads creating files).
mode_t NewFileMode() {
    mode_t umaskBits = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            umaskBits = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
            break;
        }
    }
    return 0666 & ~umaskBits;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::unique_ptr<MovieFile> MovieFile::Create(const std::string& targetPath, std::string& error,
                                             const std::string& noun) {
    const std::string notWritten = "The " + noun + " " + Quoted(targetPath) + " was not written: ";
    std::string finalPath = targetPath;
    Ownership ownership{NewFileMode()};
    struct stat status {};
    if (lstat(targetPath.c_str(), &status) == 0) {
        if (S_ISLNK(status.st_mode)) {
            char resolved[PATH_MAX];
            if (stat(targetPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
                realpath(targetPath.c_str(), resolved) == nullptr) {
                error = notWritten + "it names no regular file.";
                return nullptr;
            }
            finalPath = resolved;
        } else if (!S_ISREG(status.st_mode)) {
            error = notWritten + "it names no regular file.";
            return nullptr;
        }
        ownership = {status.st_mode & 0777, true, status.st_uid, status.st_gid};
    }

    // Hidden beside the target, so the rename stays within one file system.
    std::string pattern = FolderOf(finalPath) + "/." + NameOf(finalPath) + ".part-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error =
            "Cannot create the " + noun + " " + Quoted(targetPath) + ": " + std::strerror(errno);
        return nullptr;
    }
    close(fd);
    return std::unique_ptr<MovieFile>(
        new MovieFile(targetPath, std::move(finalPath), name.data(), ownership, noun));
}

MovieFile::MovieFile(std::string targetPath, std::string finalPath, std::string temporaryPath,
                     Ownership ownership, std::string noun)
    : targetPath_(std::move(targetPath)),
      noun_(std::move(noun)),
      finalPath_(std::move(finalPath)),
      temporaryPath_(std::move(temporaryPath)),
      ownership_(ownership) {}

MovieFile::~MovieFile() {
    if (!committed_) {
        unlink(temporaryPath_.c_str());
    }
}

bool MovieFile::Commit(std::string& error) {
    const auto fail = [&](const char* step) {
        error = "The " + noun_ + " " + Quoted(targetPath_) + " was not written: " + step + ": " +
                std::strerror(errno);
        return false;
    };
    const int fd = open(temporaryPath_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return fail("cannot reopen it");
    }
    // The data reaches the disk before the name does, so a crash cannot leave the
    // target's name on an empty file.
    const bool synced = fsync(fd) == 0;
    // Only root may give a file away, and only a member may keep its group: what
    // cannot be kept is the user's, as in a new file.
    if (ownership_.replaces && fchown(fd, ownership_.owner, ownership_.group) != 0) {
        const int ignored = fchown(fd, static_cast<uid_t>(-1), ownership_.group);
        static_cast<void>(ignored);
    }
    const bool moded = fchmod(fd, ownership_.mode) == 0;
    const int savedErrno = errno;
    close(fd);
    errno = savedErrno;
    if (!synced) {
        return fail("cannot flush it to the disk");
    }
    if (!moded) {
        return fail("cannot set its permissions");
    }
    if (rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0) {
        return fail("cannot give it its name");
    }
    committed_ = true;
    return true;
}
