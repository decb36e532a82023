#include "slideshow/part_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

constexpr const char* kPartMark = ".part-";
constexpr size_t kRandomLength = 6;  // mkostemp's XXXXXX
// "." before the stem, ".part-" and the six characters after it.
constexpr size_t kNameAround = 1 + 6 + kRandomLength;
constexpr long kUsualNameMax = 255;
// Attempts at a part file that no other build takes from under us.
constexpr int kCreateAttempts = 16;

bool IsRandomCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// ".STEM.part-" followed by exactly six of mkostemp's characters.
bool IsPartFileOf(const std::string& entry, const std::string& stem) {
    const std::string prefix = "." + stem + kPartMark;
    if (entry.size() != prefix.size() + kRandomLength ||
        entry.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (size_t i = prefix.size(); i < entry.size(); ++i) {
        if (!IsRandomCharacter(entry[i])) {
            return false;
        }
    }
    return true;
}

// Removes one part file when it is this user's regular file and its lock can be had:
// no live build holds it. The name is removed only while it still names the file that
// was locked.
bool RemoveIfStale(int folderFd, const std::string& entry) {
    const int fd = openat(folderFd, entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool removed = false;
    struct stat opened {};
    struct stat named {};
    if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        fstatat(folderFd, entry.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
        removed = unlinkat(folderFd, entry.c_str(), 0) == 0;
    }
    close(fd);
    return removed;
}

}  // namespace

std::string PartFileStem(const std::string& name, long nameMax) {
    const size_t room =
        nameMax > static_cast<long>(kNameAround) ? static_cast<size_t>(nameMax) - kNameAround : 1;
    if (name.size() <= room) {
        return name;
    }
    size_t cut = room;
    // Back to the start of a UTF-8 character: continuation bytes are 10xxxxxx.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return name.substr(0, cut == 0 ? room : cut);
}

long FileNameLimit(const std::string& folder) {
    errno = 0;
    const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? limit : kUsualNameMax;
}

int RemoveStalePartFiles(const std::string& folder, const std::string& name) {
    const std::string stem = PartFileStem(name, FileNameLimit(folder));
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) {
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = readdir(listing)) {
        if (IsPartFileOf(entry->d_name, stem) && RemoveIfStale(dirfd(listing), entry->d_name)) {
            ++removed;
        }
    }
    closedir(listing);
    return removed;
}

std::unique_ptr<PartFile> PartFile::Create(const std::string& folder, const std::string& name,
                                           int& error) {
    const std::string pattern =
        folder + "/." + PartFileStem(name, FileNameLimit(folder)) + kPartMark + "XXXXXX";
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        std::vector<char> path(pattern.begin(), pattern.end());
        path.push_back('\0');
        const int fd = mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        // Between its making and its locking another build's clean-up may have taken
        // the file for a stale one: it then holds the lock and removes the file, or has
        // removed it already, and another file is made. A file system without locks
        // keeps the file unlocked (and no clean-up ever removes it).
        const bool heldByAnother = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        struct stat status {};
        if (!heldByAnother && fstat(fd, &status) == 0 && status.st_nlink > 0) {
            return std::unique_ptr<PartFile>(new PartFile(fd, path.data()));
        }
        close(fd);
    }
    error = EAGAIN;
    return nullptr;
}

PartFile::~PartFile() {
    if (!kept_) {
        unlink(path_.c_str());
    }
    close(fd_);
}
