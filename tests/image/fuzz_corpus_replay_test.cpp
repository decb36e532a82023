// The inputs the fuzz targets kept (fuzz/corpus/<target>/, minimised by
// scripts/fuzz.sh --merge) replayed through the very paths the targets drive
// (fuzz/fuzz_paths.h), without a fuzzing engine: every input that once reached new
// code must still be refused or decoded cleanly, here and in the sanitizer build.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../../fuzz/fuzz_paths.h"
#include "support/file_bytes.h"

namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpusReplay, EveryKeptInputRunsCleanlyThroughItsTargetsPath) {
    const fs::path root = fs::path(REELWRIGHT_SOURCE_DIR) / "fuzz" / "corpus";
    for (const fuzz_paths::Target& target : fuzz_paths::kTargets) {
        SCOPED_TRACE(target.name);
        const fs::path folder = root / target.name;
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        size_t inputs = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::vector<uint8_t> bytes = test_support::ReadFileBytes(entry.path());
            EXPECT_EQ(target.path(bytes.data(), bytes.size()), "") << entry.path().filename();
            ++inputs;
        }
        EXPECT_GT(inputs, 0u);
    }
}

}  // namespace
