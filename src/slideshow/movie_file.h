// Where a build writes its movie (and the web page beside it): a private file beside
// the target, which takes the target's name only once the file is complete. A
// failed, stopped or interrupted build so leaves an earlier file of that name as it
// was, and never half a movie.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

class PartFile;

class MovieFile {
  public:
    // Checks the target and makes the temporary file beside it (see part_file.h),
    // after removing the ones of that target that builds killed outright left behind.
    // A target that exists but is no regular file (a folder, a device, a pipe) is
    // refused, and so is one that this user may not replace: another user's file in a
    // folder with the sticky bit. A link to a regular file is followed, so the link
    // stays and the file it names is replaced. Null, with `error` set to a sentence
    // naming the target (and the folder, when it cannot be written), on failure.
    // `noun` is what the messages call the file: "The movie \"X\" was not written: ...".
    static std::unique_ptr<MovieFile> Create(const std::string& targetPath, std::string& error,
                                             const std::string& noun = "movie");

    // Removes the temporary file unless the movie was committed.
    ~MovieFile();
    MovieFile(const MovieFile&) = delete;
    MovieFile& operator=(const MovieFile&) = delete;

    // The file the movie is written to until it is complete.
    const std::string& TemporaryPath() const;

    // The complete movie takes the target's place: flushed to the disk, given the
    // permissions of the file it replaces (or those a new file gets) and, as far as
    // this user may, its owner and group, and renamed over the target in one step.
    // False, with `error` set, when it cannot be.
    bool Commit(std::string& error);

  private:
    // The owner, group and permissions the committed movie gets.
    struct Ownership {
        mode_t mode;
        bool replaces = false;  // owner and group are those of a file it replaces
        uid_t owner = 0;
        gid_t group = 0;
    };
    MovieFile(std::string targetPath, std::string finalPath, std::unique_ptr<PartFile> part,
              Ownership ownership, std::string noun);

    std::string targetPath_;  // as the user named it, for messages
    std::string noun_;        // "movie", "web page": what the messages call it
    std::string finalPath_;   // the file that is replaced (a link's target)
    std::unique_ptr<PartFile> part_;
    Ownership ownership_;
};
