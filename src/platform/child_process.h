// Starting other programs without a shell: one that runs on its own (a browser, the
// desktop's opener), and one whose answer is read (a desktop query tool).
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Starts arguments[0] (searched on PATH when it holds no '/') with the other
// arguments, and does not wait for it; a helper thread reaps it when it ends, so no
// zombie is left. Returns 0, or the errno of the failed start.
int StartDetached(const std::vector<std::string>& arguments);

// Runs arguments[0] like StartDetached with nothing on standard input and its errors
// dropped, and returns what it wrote on standard output (at most `limit` bytes are
// kept). Nothing when it could not start, did not exit with status 0, or was still
// running after `timeout` (it is then killed).
std::optional<std::string> ReadProgramOutput(const std::vector<std::string>& arguments,
                                             std::chrono::milliseconds timeout,
                                             size_t limit = 64 * 1024);

// How a program run by RunAndWait ended.
struct ProgramEnd {
    // 0, or the errno of the failed start.
    int startError = 0;
    // Still running when the time given was over: it goes on, and a helper thread
    // reaps it when it ends.
    bool stillRunning = false;
    // Ended by exiting (not by a signal), with `exitStatus`.
    bool exited = false;
    int exitStatus = 0;
};

// Runs arguments[0] like StartDetached, with nothing on standard input, and waits at
// most `timeout` for it to end, calling `whileWaiting` (may be empty) every few
// milliseconds meanwhile.
ProgramEnd RunAndWait(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                      const std::function<void()>& whileWaiting);
