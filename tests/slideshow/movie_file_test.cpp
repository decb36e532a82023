// The hidden part file a movie is written to: its name near the file-name limit, the
// stale ones a killed build left (and the live ones it must not touch), and the
// targets refused before a build starts.
#include "slideshow/movie_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "slideshow/part_file.h"
#include "slideshow/slideshow_build.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;
namespace fs = std::filesystem;

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(PartFile, StemIsCutToTheFileNameLimitBetweenCharacters) {
    const std::string e = "\xC3\xA9";  // é, two bytes
    struct Case {
        std::string name;
        long nameMax;
        std::string stem;
    };
    const Case cases[] = {
        {"SHOW.SWF", 255, "SHOW.SWF"},
        // ".NAME.part-XXXXXX" adds 13 bytes: 242 fit in 255.
        {std::string(242, 'a'), 255, std::string(242, 'a')},
        {std::string(243, 'a'), 255, std::string(242, 'a')},
        {std::string(255, 'b'), 255, std::string(242, 'b')},
        {std::string(241, 'a') + e + ".SWF", 255, std::string(241, 'a')},
        {std::string(240, 'a') + e + ".SWF", 255, std::string(240, 'a') + e},
        {"SHOW.SWF", 20, "SHOW.SW"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name.size());
        EXPECT_EQ(PartFileStem(test.name, test.nameMax), test.stem);
    }
}

// Names the folder accepts are accepted whatever their length: the part file's name is
// shortened instead.
TEST(MovieFile, NamesUpToTheFileNameLimitAreWritten) {
    ScratchFolder scratch;
    for (size_t length : {243u, 250u, 255u}) {
        SCOPED_TRACE(length);
        const std::string name = std::string(length - 4, 'n') + ".SWF";
        SlideshowBuildRequest request;
        request.outputPath = scratch.File(name);
        const SlideshowBuildResult result = RunSlideshowBuild(request, nullptr, nullptr);
        EXPECT_TRUE(result.ok) << result.error;
        EXPECT_EQ(NamesIn(scratch.Path()), std::set<std::string>{name});
        fs::remove(scratch.File(name));
    }
}

// A part file nobody holds is a leftover of a build killed outright: the next build of
// that movie removes it. One a live build holds (its lock), one of another movie and
// names that only look alike stay.
TEST(MovieFile, StalePartFilesOfTheTargetGoAndLiveOnesStay) {
    ScratchFolder scratch;
    const std::set<std::string> kept{".SHOW.SWF.part-Live99", ".OTHER.SWF.part-abcdef",
                                     ".SHOW.SWF.part-abc12", ".SHOW.SWF.part-abc1234",
                                     "SHOW.SWF.part-abc123"};
    for (const std::string& name : kept) {
        ASSERT_TRUE(WriteFileText(scratch.File(name), "left"));
    }
    ASSERT_TRUE(WriteFileText(scratch.File(".SHOW.SWF.part-AbC123"), "left by kill -9"));
    ASSERT_TRUE(WriteFileText(scratch.File(".SHOW.SWF.part-000000"), "left by kill -9"));
    const int live = open(scratch.File(".SHOW.SWF.part-Live99").c_str(), O_RDONLY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(flock(live, LOCK_EX), 0);

    SlideshowBuildRequest request;
    request.outputPath = scratch.File("SHOW.SWF");
    const SlideshowBuildResult result = RunSlideshowBuild(request, nullptr, nullptr);
    EXPECT_TRUE(result.ok) << result.error;
    close(live);
    std::set<std::string> expected = kept;
    expected.insert("SHOW.SWF");
    EXPECT_EQ(NamesIn(scratch.Path()), expected);
}

// What MovieFile::Create says for `target`, run as the user `uid` in a child process
// (root may write anywhere).
std::string CreateErrorAs(uid_t uid, const std::string& target) {
    int channel[2];
    if (pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string error = "created";
        if (setgid(uid) == 0 && setuid(uid) == 0) {
            std::unique_ptr<MovieFile> movie = MovieFile::Create(target, error);
        } else {
            error = "cannot become the user";
        }
        const ssize_t written = write(channel[1], error.data(), error.size());
        _exit(written == static_cast<ssize_t>(error.size()) ? 0 : 1);
    }
    close(channel[1]);
    std::string said;
    char buffer[512];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        said.append(buffer, static_cast<size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return said;
}

// A target the user may write but not replace is refused before the build: its folder
// cannot be written (the movie is made beside it), or it is another user's file in a
// folder with the sticky bit.
TEST(MovieFile, TargetsThatCannotBeReplacedAreRefusedFirst) {
    ScratchFolder scratch;
    const bool root = geteuid() == 0;
    const uid_t user = root ? 65534 : geteuid();  // nobody, when run as root
    fs::permissions(scratch.Path(), fs::perms::all);
    const std::string locked = scratch.File("locked");
    fs::create_directory(locked);
    ASSERT_TRUE(WriteFileText(locked + "/SHOW.SWF", "an earlier movie"));
    fs::permissions(locked + "/SHOW.SWF", fs::perms::all & ~fs::perms::owner_exec);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    EXPECT_EQ(CreateErrorAs(user, locked + "/SHOW.SWF"),
              "Cannot create the movie \"" + locked +
                  "/SHOW.SWF\": Permission denied. The movie is written beside its target and "
                  "renamed when complete, so its folder \"" +
                  locked + "\" must be writable.");
    fs::permissions(locked, fs::perms::owner_all);

    if (!root) {
        GTEST_SKIP() << "another user's file needs root to be made";
    }
    const std::string shared = scratch.File("shared");
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    ASSERT_TRUE(WriteFileText(shared + "/SHOW.SWF", "root's movie"));
    fs::permissions(shared + "/SHOW.SWF", fs::perms::all & ~fs::perms::owner_exec);
    EXPECT_EQ(CreateErrorAs(user, shared + "/SHOW.SWF"),
              "The movie \"" + shared +
                  "/SHOW.SWF\" was not written: it belongs to another user, and in its folder \"" +
                  shared + "\" (sticky) only a file's owner may replace it.");
    EXPECT_EQ(NamesIn(shared), std::set<std::string>{"SHOW.SWF"});
}

}  // namespace
