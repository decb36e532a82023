#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

extern char** environ;

namespace {

std::vector<char*> ArgumentPointers(const std::vector<std::string>& arguments) {
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        pointers.push_back(const_cast<char*>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

int Spawn(pid_t& child, const std::vector<std::string>& arguments,
          const posix_spawn_file_actions_t* actions) {
    if (arguments.empty() || arguments[0].empty()) {
        return ENOENT;
    }
    std::vector<char*> pointers = ArgumentPointers(arguments);
    return posix_spawnp(&child, pointers[0], actions, nullptr, pointers.data(), environ);
}

void Reap(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

// The program may run as long as the user keeps it open; a detached thread waits
// for it so no zombie is left and no signal handler is needed.
void ReapLater(pid_t child) {
    try {
        std::thread(Reap, child).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child is reaped when the process ends.
    }
}

}  // namespace

int StartDetached(const std::vector<std::string>& arguments) {
    pid_t child = 0;
    const int error = Spawn(child, arguments, nullptr);
    if (error != 0) {
        return error;
    }
    ReapLater(child);
    return 0;
}

ProgramEnd RunAndWait(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                      const std::function<void()>& whileWaiting) {
    ProgramEnd end;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t child = 0;
    end.startError = Spawn(child, arguments, &actions);
    posix_spawn_file_actions_destroy(&actions);
    if (end.startError != 0) {
        return end;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t reaped = waitpid(child, &status, WNOHANG);
        if (reaped == child) {
            end.exited = WIFEXITED(status);
            end.exitStatus = end.exited ? WEXITSTATUS(status) : 0;
            return end;
        }
        if ((reaped < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        if (whileWaiting) {
            whileWaiting();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    end.stillRunning = true;
    ReapLater(child);
    return end;
}

namespace {

using Deadline = std::chrono::steady_clock::time_point;

int MillisecondsLeft(Deadline deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads `fd` until its writer closes it (true) or the deadline passes (false); past
// `limit` bytes the output is drained but not kept.
bool ReadUntilClosed(int fd, Deadline deadline, size_t limit, std::string& output) {
    for (int wait = MillisecondsLeft(deadline); wait > 0; wait = MillisecondsLeft(deadline)) {
        pollfd readable{fd, POLLIN, 0};
        const int ready = poll(&readable, 1, wait);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return true;
        }
        output.append(buffer, std::min(static_cast<size_t>(count), limit - output.size()));
    }
    return false;
}

// Waits until the deadline for `child` to exit; true with its status when it did.
// A child still there then is killed; one reaped elsewhere is left alone.
bool WaitForExit(pid_t child, Deadline deadline, int& status) {
    for (;;) {
        const pid_t reaped = waitpid(child, &status, WNOHANG);
        if (reaped == child) {
            return true;
        }
        if (reaped < 0 && errno != EINTR) {
            return false;  // reaped elsewhere: nothing left to wait for or to stop
        }
        if (MillisecondsLeft(deadline) == 0) {
            kill(child, SIGKILL);
            Reap(child);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

std::optional<std::string> ReadProgramOutput(const std::vector<std::string>& arguments,
                                             std::chrono::milliseconds timeout, size_t limit) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int error = Spawn(child, arguments, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (error != 0) {
        close(pipeEnds[0]);
        return std::nullopt;
    }
    const Deadline deadline = std::chrono::steady_clock::now() + timeout;
    std::string output;
    const bool ended = ReadUntilClosed(pipeEnds[0], deadline, limit, output);
    close(pipeEnds[0]);
    // The program closed its output; it has until the deadline to exit.
    int status = 0;
    if (!ended) {
        kill(child, SIGKILL);
        Reap(child);
        return std::nullopt;
    }
    if (!WaitForExit(child, deadline, status) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return output;
}
