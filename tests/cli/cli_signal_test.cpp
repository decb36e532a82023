// The real reelwright-cli stopped by Ctrl-C, a closed terminal or SIGTERM in the
// middle of a build: it exits with 130, 129 or 143, leaves an earlier movie of that
// name as it was, and leaves no partial movie and no temporary file behind; what kill
// -9 leaves, the next build removes.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/file_bytes.h"
#include "support/scratch_folder.h"

extern char** environ;

namespace {

using namespace test_support;
namespace fs = std::filesystem;

const std::string kCli = std::string(REELWRIGHT_BINARY_DIR) + "/src/cli/reelwright-cli";
const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples";

bool PartialMovieExists(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".part-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Starts reelwright-cli on a list of 3000 pictures whose first is a pipe nobody writes
// to (a picture that would block an open for ever), with TMPDIR at `temporary`, and
// waits until its movie is being written beside `movie`.
pid_t StartLongBuild(const ScratchFolder& scratch, const ScratchFolder& temporary,
                     const std::string& movie) {
    const std::string fifo = scratch.File("waiting.jpg");
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string list = fifo + "\n";
    for (int i = 0; i < 3000; ++i) {
        list += kExamples + "/05-grey-triangle.jpg\n";
    }
    EXPECT_TRUE(WriteFileText(scratch.File("list.txt"), list));

    std::vector<std::string> arguments{kCli, "-q",  "-j", "2",
                                       "-o", movie, "-l", scratch.File("list.txt")};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const std::string tmpdir = "TMPDIR=" + temporary.Path();
    std::vector<char*> environment{const_cast<char*>(tmpdir.c_str()), nullptr};
    pid_t child = 0;
    EXPECT_EQ(posix_spawn(&child, kCli.c_str(), nullptr, nullptr, argv.data(), environment.data()),
              0);
    // The build has begun once its movie is being written beside the target.
    const std::string folder = fs::path(movie).parent_path().string();
    for (int attempt = 0; attempt < 2000 && !PartialMovieExists(folder); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(PartialMovieExists(folder));
    return child;
}

TEST(CliSignals, InterruptedBuildExitsWithTheSignalAndLeavesTheEarlierMovie) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        ScratchFolder scratch;
        ScratchFolder temporary;
        const std::string movie = scratch.File("SHOW.SWF");
        ASSERT_TRUE(WriteFileText(movie, "an earlier movie"));
        const pid_t child = StartLongBuild(scratch, temporary, movie);
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(ReadFileText(movie), "an earlier movie");
        EXPECT_FALSE(PartialMovieExists(scratch.Path()));
        EXPECT_TRUE(fs::is_empty(temporary.Path()));
    }
}

// kill -9 leaves the partial movie, which nothing of that build can remove; the next
// build of the same movie does.
TEST(CliSignals, NextBuildRemovesWhatAKilledBuildLeft) {
    ScratchFolder scratch;
    ScratchFolder temporary;
    const std::string movie = scratch.File("SHOW.SWF");
    const pid_t child = StartLongBuild(scratch, temporary, movie);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(PartialMovieExists(scratch.Path()));

    std::string run = kCli + " -q -o " + movie + " " + kExamples + "/01-sunrise.jpg";
    ASSERT_EQ(std::system(run.c_str()), 0);
    EXPECT_FALSE(PartialMovieExists(scratch.Path()));
    EXPECT_TRUE(fs::exists(movie));
}

}  // namespace
