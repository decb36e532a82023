// One libFuzzer target: the path of fuzz_paths::kTargets named by the build
// (REELWRIGHT_FUZZ_TARGET). A fault the path detects stops the run like a crash, so
// libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_paths.h"

namespace {

fuzz_paths::Path FindPath() {
    for (const fuzz_paths::Target& target : fuzz_paths::kTargets) {
        if (std::strcmp(target.name, REELWRIGHT_FUZZ_TARGET) == 0) {
            return target.path;
        }
    }
    std::fprintf(stderr, "no fuzz path named %s\n", REELWRIGHT_FUZZ_TARGET);
    std::abort();
}

const fuzz_paths::Path kPath = FindPath();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = kPath(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "%s fuzz path: %s\n", REELWRIGHT_FUZZ_TARGET, fault.c_str());
        std::abort();
    }
    return 0;
}
