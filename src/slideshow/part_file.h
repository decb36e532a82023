// The hidden file a movie is written to beside its target, ".NAME.part-XXXXXX", until
// it is complete and takes the target's name. While a build writes it, the build holds
// a lock on it (flock), so another build can tell a live part file from one left by a
// build that was killed outright, and remove only the latter.
#pragma once

#include <memory>
#include <string>

// The stem of the part file names of a target named `name`: the name itself, or, when
// ".NAME.part-XXXXXX" would pass `nameMax` bytes (the folder's file-name limit), the
// name cut to fit, never inside a UTF-8 character.
std::string PartFileStem(const std::string& name, long nameMax);

// The folder's file-name limit in bytes (255 when it cannot be asked).
long FileNameLimit(const std::string& folder);

// Removes the part files of a target named `name` in `folder` that belong to this user
// and that no build holds. Returns how many it removed.
int RemoveStalePartFiles(const std::string& folder, const std::string& name);

class PartFile {
  public:
    // Makes a fresh part file of the target `name` in `folder` (mode 0600, a name
    // nobody else can have taken) and locks it. Null, with `error` set to the system's
    // error number, when it cannot be made.
    static std::unique_ptr<PartFile> Create(const std::string& folder, const std::string& name,
                                            int& error);
    // Removes the file unless it was kept, and releases the lock.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const std::string& Path() const { return path_; }
    // Open for reading and writing, locked for as long as this object lives.
    int Descriptor() const { return fd_; }
    // The file has taken the target's name: it is no longer this object's to remove.
    void Keep() { kept_ = true; }

  private:
    PartFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    int fd_;
    std::string path_;
    bool kept_ = false;
};
