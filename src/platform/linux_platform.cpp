#include "platform/linux_platform.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <utility>
#include <vector>

#include "platform/child_process.h"
#include "platform/desktop_entry.h"

namespace {

// The desktop's query tool for file types and their applications (xdg-utils).
constexpr const char* kMimeTool = "xdg-mime";
// A query answers within a fraction of a second; one that hangs must not freeze the
// dialog.
constexpr std::chrono::milliseconds kQueryTimeLimit{5000};

// An address such as "https://..." or "mailto:..." has a scheme of at least two
// letters before its colon; anything else is taken as a file path.
bool IsAddress(const std::string& target) {
    const size_t colon = target.find(':');
    if (colon == std::string::npos || colon < 2) {
        return false;
    }
    for (size_t i = 0; i < colon; ++i) {
        const char c = target[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && !(i > 0 && other)) {
            return false;
        }
    }
    return true;
}

int ShellCodeForFileError(int error) {
    switch (error) {
        case ENOENT:
            return kShellFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return kShellPathNotFound;
        case EACCES:
        case EPERM:
            return kShellAccessDenied;
        case ENOMEM:
            return kShellOutOfMemory;
        default:
            return kShellOutOfResources;
    }
}

// The codes a program start reports on the system the dialog was designed for: a
// file's codes, but a format it cannot run is 11 and no memory is 0 there.
int RunCodeForSpawnError(int error) {
    if (error == ENOEXEC) {
        return kRunBadFormat;
    }
    if (error == ENOMEM) {
        return kShellOutOfResources;
    }
    return ShellCodeForFileError(error);
}

// The first name of a query tool's answer: the first line, up to a ';' that would
// start a second name.
std::string FirstName(const std::string& answer) {
    const size_t end = answer.find_first_of("\n;");
    std::string name = answer.substr(0, end);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r')) {
        name.pop_back();
    }
    const size_t first = name.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : name.substr(first);
}

// xdg-open's exit status as the shell's code: 0 opened, 2 no such file; 1 (bad
// arguments), 3 (no tool can open it), 4 (the opening program failed) and an end by a
// signal all mean that nothing opened the target.
int ShellCodeForOpenerEnd(const ProgramEnd& end) {
    if (end.stillRunning || (end.exited && end.exitStatus == 0)) {
        return kShellOpenSucceeded;
    }
    return end.exitStatus == 2 ? kShellFileNotFound : kShellNoAssociation;
}

int ShellCodeForSpawnError(int error) {
    switch (error) {
        case ENOENT:
        case ENOEXEC:
        case EACCES:
        case ENOTDIR:
            return kShellNoAssociation;
        case ENOMEM:
        case EAGAIN:
            return kShellOutOfMemory;
        default:
            return kShellOutOfResources;
    }
}

}  // namespace

LinuxPlatform::LinuxPlatform(std::string opener, std::chrono::milliseconds openerTimeLimit)
    : opener_(std::move(opener)), openerTimeLimit_(openerTimeLimit) {}

void LinuxPlatform::ShowMessageBox(const std::string& text, MessageIcon icon,
                                   const std::string& caption) {
    const char* mark = icon == MessageIcon::kExclamation ? "! " : "";
    std::fprintf(stderr, "%s: %s%s\n", caption.c_str(), mark, text.c_str());
}

std::optional<std::string> LinuxPlatform::ShowSaveFileDialog(const SaveFileRequest&) {
    // Without a toolkit there is nobody to ask: the dialog counts as cancelled.
    return std::nullopt;
}

int LinuxPlatform::ShellOpen(const std::string& verb, const std::string& target, int) {
    // No verb means the default one, and "open" is the only one a Linux desktop has.
    if (!verb.empty() && verb != "open") {
        return kShellNoAssociation;
    }
    if (target.empty()) {
        return kShellFileNotFound;
    }
    if (!IsAddress(target)) {
        struct stat status;
        if (stat(target.c_str(), &status) != 0) {
            return ShellCodeForFileError(errno);
        }
    }

    // A file name that starts with '-' would be read by the opener as an option.
    const std::string argument = (target[0] == '-') ? "./" + target : target;
    // The opener's exit status says whether anything could open the target. A viewer
    // that the opener runs in its own place may keep it running for as long as the
    // viewer is open: still running at the time limit counts as opened.
    const ProgramEnd end =
        RunAndWait({opener_, argument}, openerTimeLimit_, [this] { WhileWaitingForOpener(); });
    if (end.startError != 0) {
        return ShellCodeForSpawnError(end.startError);
    }
    return ShellCodeForOpenerEnd(end);
}

std::optional<std::string> LinuxPlatform::LookUpBrowserCommand() {
    const std::optional<std::string> answer =
        ReadProgramOutput({kMimeTool, "query", "default", "text/html"}, kQueryTimeLimit);
    if (!answer) {
        return std::nullopt;
    }
    const std::optional<std::string> command =
        DesktopEntryOpenCommand(FirstName(*answer), ApplicationFolders());
    if (!command || command->find_first_not_of(" \t\n") == std::string::npos) {
        return std::nullopt;
    }
    return command;
}

int LinuxPlatform::RunCommandLine(const std::string& commandLine, int) {
    const std::optional<std::vector<std::string>> words = SplitCommandLine(commandLine);
    if (!words) {
        return kRunBadFormat;
    }
    if (words->empty()) {
        return kShellFileNotFound;
    }
    const int error = StartDetached(*words);
    if (error != 0) {
        return RunCodeForSpawnError(error);
    }
    return kRunCommandStarted;
}

std::optional<std::vector<std::string>> LinuxPlatform::ShowOpenFilesDialog(
    const OpenFilesRequest&) {
    return std::nullopt;
}

std::optional<std::string> LinuxPlatform::ShowFolderDialog(const std::string&, const std::string&) {
    return std::nullopt;
}

int LinuxPlatform::TrackPopupMenu(const std::vector<MenuItem>&, int, int) {
    return 0;
}

void LinuxPlatform::RunAboutDialog(AboutDialog&) {}

void LinuxPlatform::RunMovieOptionsDialog(MovieOptionsDialog&) {}

std::map<std::string, std::string> LinuxPlatform::ReadOptionsFile() {
    return {};
}

bool LinuxPlatform::WriteOptionsFile(const std::map<std::string, std::string>&,
                                     std::string& error) {
    error = "options are remembered only by the dialog";
    return false;
}

bool LinuxPlatform::Sleep(int32_t milliseconds, const std::atomic<bool>& stop) {
    constexpr int32_t kStepMilliseconds = 10;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stop.load(std::memory_order_relaxed)) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) {
            return true;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            end - now, std::chrono::milliseconds(kStepMilliseconds)));
    }
    return false;
}

void LinuxPlatform::Beep(unsigned) {
    std::fputc('\a', stderr);
    std::fflush(stderr);
}

std::string LinuxPlatform::ExecutablePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

bool LinuxPlatform::HasApplicationFor(const std::string& path) {
    const std::optional<std::string> typeAnswer =
        ReadProgramOutput({kMimeTool, "query", "filetype", path}, kQueryTimeLimit);
    if (!typeAnswer) {
        return false;
    }
    // A type is "group/name"; anything else is a message, not a type.
    const std::string type = FirstName(*typeAnswer);
    const size_t slash = type.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == type.size() ||
        type.find('/', slash + 1) != std::string::npos ||
        type.find_first_of(" \t") != std::string::npos) {
        return false;
    }
    const std::optional<std::string> application =
        ReadProgramOutput({kMimeTool, "query", "default", type}, kQueryTimeLimit);
    return application && !FirstName(*application).empty();
}

RgbColor LinuxPlatform::GetHighlightColor() {
    return {48, 140, 198};
}

OperatingSystemVersion LinuxPlatform::GetOperatingSystemVersion() {
    OperatingSystemVersion version;
    struct utsname name {};
    if (uname(&name) == 0) {
        char* end = nullptr;
        version.major = static_cast<int>(std::strtol(name.release, &end, 10));
        if (end != nullptr && *end == '.') {
            version.minor = static_cast<int>(std::strtol(end + 1, nullptr, 10));
        }
    }
    return version;
}

void* LinuxPlatform::LoadLibrary(const std::string& name) {
    return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

SkinInitFunction LinuxPlatform::FindSkinInit(void* library, const std::string& name) {
    if (library == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<SkinInitFunction>(dlsym(library, name.c_str()));
}
