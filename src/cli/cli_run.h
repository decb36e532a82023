// reelwright-cli as a function: the whole run of one command line, with its streams
// and the platform handed in, so tests can drive it in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class Platform;

struct CliEnvironment {
    std::istream& in;   // read by "-l -"
    std::ostream& out;  // help, version, the closing summary
    std::ostream& err;  // warnings and errors
    // Where the progress bar is drawn, or null for none (standard error is not a
    // terminal).
    std::FILE* progressTerminal = nullptr;
    // Opens the finished movie for --open.
    Platform* platform = nullptr;
    // SIGINT, SIGHUP and SIGTERM stop the build cleanly (the program, not in-process
    // tests).
    bool handleSignals = false;
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBuildFailed = 1;
inline constexpr int kExitUsage = 2;
// Stopped by a signal: 128 + the signal's number (129 for SIGHUP, 130 for SIGINT, 143
// for SIGTERM).
inline constexpr int kExitSignalBase = 128;

// Runs reelwright-cli with `arguments` (without the program name); returns the exit
// status: 0 done, 1 build failed, 2 usage error, 128 + n stopped by signal n.
int RunReelwrightCli(const std::vector<std::string>& arguments, CliEnvironment& environment);
