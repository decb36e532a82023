// Helpers the build and app tests share: a private scratch folder and outside
// programs (ImageMagick, ffmpeg) run without a shell.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "reelwright-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~ScratchFolder() {
        if (path_.empty())
            return;
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Points TMPDIR at a folder while the object lives, so that temporary files of the
// code under test land where the test can look; then puts back what was there.
class TemporaryFolderOverride {
  public:
    explicit TemporaryFolderOverride(const std::string& folder) {
        if (const char* old = std::getenv("TMPDIR"))
            old_ = old;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TemporaryFolderOverride() {
        if (old_.empty()) {
            unsetenv("TMPDIR");
        } else {
            setenv("TMPDIR", old_.c_str(), 1);
        }
    }
    TemporaryFolderOverride(const TemporaryFolderOverride&) = delete;
    TemporaryFolderOverride& operator=(const TemporaryFolderOverride&) = delete;

  private:
    std::string old_;
};

// Runs a program found on PATH with the given arguments; its standard output goes to
// `outputPath` when one is given, else nowhere. Returns the exit status, or -1 when
// the program could not be started or did not exit normally.
inline int RunProgram(const std::vector<std::string>& arguments,
                      const std::string& outputPath = "/dev/null") {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) < 0 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Decodes any picture with ImageMagick into width x height RGB bytes (stretched to
// that size when `stretch` is set). Empty on failure.
inline std::vector<uint8_t> DecodeWithImageMagick(const std::string& path, int width, int height,
                                                  const std::string& scratchFile,
                                                  bool stretch = false) {
    std::vector<std::string> arguments{"convert", path};
    if (stretch) {
        arguments.insert(arguments.end(),
                         {"-filter", "Triangle", "-resize",
                          std::to_string(width) + "x" + std::to_string(height) + "!"});
    }
    arguments.insert(arguments.end(), {"-depth", "8", "rgb:" + scratchFile});
    if (RunProgram(arguments) != 0)
        return {};
    std::vector<uint8_t> pixels;
    FILE* file = std::fopen(scratchFile.c_str(), "rb");
    if (file == nullptr)
        return {};
    pixels.resize(static_cast<size_t>(width) * height * 3);
    const size_t read = std::fread(pixels.data(), 1, pixels.size(), file);
    std::fclose(file);
    if (read != pixels.size())
        return {};
    return pixels;
}

// Mean absolute difference per channel of two RGB buffers of equal size.
inline double MeanAbsoluteDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty())
        return 1e9;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::abs(int{a[i]} - int{b[i]});
    return sum / static_cast<double>(a.size());
}
