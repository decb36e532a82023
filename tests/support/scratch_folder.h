// A private scratch folder for one test, and a TMPDIR override that points the code
// under test at a folder the test can look into.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace test_support {

// A fresh folder made by mkdtemp in TMPDIR (or /tmp), removed with everything in it
// when the object goes; Path() is empty when it could not be made.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "reelwright-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchFolder() {
        if (path_.empty()) {
            return;
        }
        // A test may have taken the rights away to provoke a failure.
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool Valid() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Points TMPDIR at `folder` while the object lives, then puts back what was there.
class TemporaryFolderOverride {
  public:
    explicit TemporaryFolderOverride(const std::string& folder) {
        if (const char* old = std::getenv("TMPDIR")) {
            old_ = old;
            hadOld_ = true;
        }
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TemporaryFolderOverride() {
        if (hadOld_) {
            setenv("TMPDIR", old_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    TemporaryFolderOverride(const TemporaryFolderOverride&) = delete;
    TemporaryFolderOverride& operator=(const TemporaryFolderOverride&) = delete;

  private:
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace test_support
