// Outside programs the tests compare against (ffmpeg, ImageMagick, djpeg, cjpeg),
// run without a shell. The test setup installs every one of them, so a missing
// program fails the test that needs it instead of skipping it.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/file_bytes.h"

extern char** environ;

namespace test_support {

// True when `name` is an executable file in one of PATH's folders.
inline bool ProgramIsInstalled(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t colon = folders.find(':', start);
        const size_t end = colon == std::string::npos ? folders.size() : colon;
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    return false;
}

// Fails the current test (and returns from it) when the program is missing; for
// GoogleTest bodies.
#define REQUIRE_PROGRAM(name)                                                      \
    ASSERT_TRUE(test_support::ProgramIsInstalled(name))                            \
        << (name) << " is not installed; scripts/setup.sh installs every program " \
        << "the tests compare against"

struct ProgramRun {
    bool started = false;
    int exitStatus = -1;  // -1 when the program did not exit normally
    std::string output;   // standard output
    std::string errors;   // standard error
};

// Runs a program found on PATH with fixed arguments, standard input empty and the
// output streams written to the given files. Returns the exit status, -1 when the
// program did not exit normally, or kNotStarted.
inline constexpr int kNotStarted = -2;
inline int SpawnProgram(const std::vector<std::string>& arguments, const std::string& outputPath,
                        const std::string& errorPath) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return kNotStarted;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Runs a program and collects both output streams through files in `scratchFolder`.
inline ProgramRun RunProgram(const std::vector<std::string>& arguments,
                             const std::string& scratchFolder) {
    ProgramRun run;
    const std::string outputPath = scratchFolder + "/program.out";
    const std::string errorPath = scratchFolder + "/program.err";
    const int status = SpawnProgram(arguments, outputPath, errorPath);
    if (status == kNotStarted) {
        return run;
    }
    run.started = true;
    run.exitStatus = status;
    run.output = ReadFileText(outputPath);
    run.errors = ReadFileText(errorPath);
    unlink(outputPath.c_str());
    unlink(errorPath.c_str());
    return run;
}

// Runs a program; its standard output goes to `outputPath`, its errors nowhere.
// Returns the exit status, or -1 when it did not start or exit normally.
inline int RunProgramToFile(const std::vector<std::string>& arguments,
                            const std::string& outputPath = "/dev/null") {
    const int status = SpawnProgram(arguments, outputPath, "/dev/null");
    return status == kNotStarted ? -1 : status;
}

// Decodes any picture with ImageMagick into width x height RGB bytes (stretched to
// that size with a triangle filter when `stretch` is set). Empty on failure.
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
    if (RunProgramToFile(arguments) != 0) {
        return {};
    }
    std::vector<uint8_t> pixels = ReadFileBytes(scratchFile);
    if (pixels.size() != static_cast<size_t>(width) * height * 3) {
        return {};
    }
    return pixels;
}

// Mean absolute difference per channel of two byte buffers of equal size.
inline double MeanAbsoluteDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) {
        return 1e9;
    }
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += std::abs(int{a[i]} - int{b[i]});
    }
    return sum / static_cast<double>(a.size());
}

}  // namespace test_support
