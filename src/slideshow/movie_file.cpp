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

#include "slideshow/part_file.h"

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

// Only the owner of a file, of its folder, or root may replace a file in a folder
// with the sticky bit (/tmp, shared folders): found before the build, not by its last
// step.
bool StickyFolderForbidsReplacing(const std::string& folder, const struct stat& target) {
    struct stat status {};
    const uid_t user = geteuid();
    return stat(folder.c_str(), &status) == 0 && (status.st_mode & S_ISVTX) != 0 && user != 0 &&
           target.st_uid != user && status.st_uid != user;
}

bool IsFolderRefusal(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

}  // namespace

std::unique_ptr<MovieFile> MovieFile::Create(const std::string& targetPath, std::string& error,
                                             const std::string& noun) {
    const auto refuse = [&](const std::string& why) {
        error = "The " + noun + " " + Quoted(targetPath) + " was not written: " + why;
        return nullptr;
    };
    std::string finalPath = targetPath;
    Ownership ownership{NewFileMode()};
    struct stat status {};
    if (lstat(targetPath.c_str(), &status) == 0) {
        if (S_ISLNK(status.st_mode)) {
            char resolved[PATH_MAX];
            if (stat(targetPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
                realpath(targetPath.c_str(), resolved) == nullptr) {
                return refuse("it names no regular file.");
            }
            finalPath = resolved;
        } else if (!S_ISREG(status.st_mode)) {
            return refuse("it names no regular file.");
        }
        if (StickyFolderForbidsReplacing(FolderOf(finalPath), status)) {
            return refuse("it belongs to another user, and in its folder " +
                          Quoted(FolderOf(finalPath)) +
                          " (sticky) only a file's owner may replace it.");
        }
        ownership = {status.st_mode & 0777, true, status.st_uid, status.st_gid};
    }

    // Hidden beside the target, so the rename stays within one file system.
    const std::string folder = FolderOf(finalPath);
    RemoveStalePartFiles(folder, NameOf(finalPath));
    int failure = 0;
    std::unique_ptr<PartFile> part = PartFile::Create(folder, NameOf(finalPath), failure);
    if (!part) {
        error =
            "Cannot create the " + noun + " " + Quoted(targetPath) + ": " + std::strerror(failure);
        if (IsFolderRefusal(failure)) {
            error += ". The " + noun +
                     " is written beside its target and renamed when complete, so"
                     " its folder " +
                     Quoted(folder) + " must be writable.";
        }
        return nullptr;
    }
    return std::unique_ptr<MovieFile>(
        new MovieFile(targetPath, std::move(finalPath), std::move(part), ownership, noun));
}

MovieFile::MovieFile(std::string targetPath, std::string finalPath, std::unique_ptr<PartFile> part,
                     Ownership ownership, std::string noun)
    : targetPath_(std::move(targetPath)),
      noun_(std::move(noun)),
      finalPath_(std::move(finalPath)),
      part_(std::move(part)),
      ownership_(ownership) {}

// The part file removes itself unless it was kept.
MovieFile::~MovieFile() = default;

const std::string& MovieFile::TemporaryPath() const {
    return part_->Path();
}

bool MovieFile::Commit(std::string& error) {
    const auto fail = [&](const char* step) {
        error = "The " + noun_ + " " + Quoted(targetPath_) + " was not written: " + step + ": " +
                std::strerror(errno);
        return false;
    };
    const int fd = part_->Descriptor();
    // The data reaches the disk before the name does, so a crash cannot leave the
    // target's name on an empty file.
    if (fsync(fd) != 0) {
        return fail("cannot flush it to the disk");
    }
    // Only root may give a file away, and only a member may keep its group: what
    // cannot be kept is the user's, as in a new file.
    if (ownership_.replaces && fchown(fd, ownership_.owner, ownership_.group) != 0) {
        const int ignored = fchown(fd, static_cast<uid_t>(-1), ownership_.group);
        static_cast<void>(ignored);
    }
    if (fchmod(fd, ownership_.mode) != 0) {
        return fail("cannot set its permissions");
    }
    if (rename(part_->Path().c_str(), finalPath_.c_str()) != 0) {
        return fail("cannot give it its name");
    }
    part_->Keep();
    return true;
}
