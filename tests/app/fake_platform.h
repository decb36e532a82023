// A scripted stand-in for the desktop: it answers the file, folder and menu dialogs
// from queues, answers the browser look-up as told, and records every message box,
// request, launch, command line, wait and beep.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

struct RecordedMessage {
    std::string text;
    MessageIcon icon = MessageIcon::kNone;
    std::string caption;
    friend bool operator==(const RecordedMessage&, const RecordedMessage&) = default;
};

struct RecordedLaunch {
    std::string verb;
    std::string target;
    int showMode = 0;
    friend bool operator==(const RecordedLaunch&, const RecordedLaunch&) = default;
};

struct RecordedCommandLine {
    std::string line;
    int showMode = 0;
    friend bool operator==(const RecordedCommandLine&, const RecordedCommandLine&) = default;
};

struct RecordedMenu {
    std::vector<MenuItem> items;
    int x = 0;
    int y = 0;
};

class FakePlatform : public Platform {
  public:
    // The answers of the next dialogs and menus, in order; nothing queued means
    // cancel (0 for a menu).
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<std::vector<std::string>>> openAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    std::deque<int> menuAnswers;
    int shellResult = kShellOpenSucceeded;
    // The registered browser command, and what running a command line gives.
    std::optional<std::string> browserCommand;
    int runResult = kRunCommandStarted;
    RgbColor highlight{10, 20, 30};
    std::string executablePath = "/opt/reelwright/reelwright";
    // Whether the desktop has an application for a file, asked of every path.
    bool hasApplication = true;
    OperatingSystemVersion version{6, 1};
    // What LoadLibrary and FindSkinInit give back.
    void* library = nullptr;
    SkinInitFunction skinInit = nullptr;

    std::vector<RecordedMessage> messages;
    std::vector<SaveFileRequest> saveRequests;
    std::vector<OpenFilesRequest> openRequests;
    std::vector<std::string> folderTitles;
    std::vector<std::string> folderStarts;
    std::vector<RecordedMenu> menus;
    std::vector<RecordedLaunch> launches;
    int browserLookUps = 0;
    std::vector<RecordedCommandLine> commandLines;
    std::vector<std::string> applicationQueries;
    std::vector<int32_t> sleeps;
    std::vector<unsigned> beeps;
    std::vector<std::string> loadedLibraries;
    std::vector<std::string> lookedUpExports;
    // Runs at every message box, to look at the dialog when it speaks.
    std::function<void()> onMessage;
    // Acts in the About box while it is open (clicks, keys), like a user.
    std::function<void(AboutDialog&)> onAboutDialog;
    int aboutDialogs = 0;
    // Acts in the "Movie options" dialog while it is open, like a user.
    std::function<void(MovieOptionsDialog&)> onOptionsDialog;
    int optionsDialogs = 0;
    // The options file: what it holds, and whether it can be written (else the error).
    std::map<std::string, std::string> optionsFile;
    std::string optionsWriteError;
    int optionsFileWrites = 0;

    void ShowMessageBox(const std::string& text, MessageIcon icon,
                        const std::string& caption) override {
        messages.push_back({text, icon, caption});
        if (onMessage) {
            onMessage();
        }
    }
    std::optional<std::string> ShowSaveFileDialog(const SaveFileRequest& request) override {
        saveRequests.push_back(request);
        std::optional<std::string> answer = Next(saveAnswers);
        // Like the real dialog, a name typed without extension gets the default one.
        if (answer && !request.defaultExtension.empty()) {
            const size_t slash = answer->rfind('/');
            const size_t dot = answer->rfind('.');
            if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
                *answer += "." + request.defaultExtension;
            }
        }
        return answer;
    }
    std::optional<std::vector<std::string>> ShowOpenFilesDialog(
        const OpenFilesRequest& request) override {
        openRequests.push_back(request);
        return Next(openAnswers);
    }
    std::optional<std::string> ShowFolderDialog(const std::string& title,
                                                const std::string& initialFolder) override {
        folderTitles.push_back(title);
        folderStarts.push_back(initialFolder);
        return Next(folderAnswers);
    }
    int TrackPopupMenu(const std::vector<MenuItem>& items, int x, int y) override {
        menus.push_back({items, x, y});
        if (menuAnswers.empty()) {
            return 0;
        }
        const int answer = menuAnswers.front();
        menuAnswers.pop_front();
        return answer;
    }
    int ShellOpen(const std::string& verb, const std::string& target, int showMode) override {
        launches.push_back({verb, target, showMode});
        return shellResult;
    }
    bool Sleep(int32_t milliseconds, const std::atomic<bool>& stop) override {
        sleeps.push_back(milliseconds);
        return !stop.load();
    }
    void RunAboutDialog(AboutDialog& dialog) override {
        ++aboutDialogs;
        if (onAboutDialog) {
            onAboutDialog(dialog);
        }
    }
    void RunMovieOptionsDialog(MovieOptionsDialog& dialog) override {
        ++optionsDialogs;
        if (onOptionsDialog) {
            onOptionsDialog(dialog);
        }
    }
    std::map<std::string, std::string> ReadOptionsFile() override { return optionsFile; }
    bool WriteOptionsFile(const std::map<std::string, std::string>& texts,
                          std::string& error) override {
        ++optionsFileWrites;
        if (!optionsWriteError.empty()) {
            error = optionsWriteError;
            return false;
        }
        optionsFile = texts;
        return true;
    }
    void Beep(unsigned kind) override { beeps.push_back(kind); }
    RgbColor GetHighlightColor() override { return highlight; }
    std::string ExecutablePath() override { return executablePath; }
    bool HasApplicationFor(const std::string& path) override {
        applicationQueries.push_back(path);
        return hasApplication;
    }
    std::optional<std::string> LookUpBrowserCommand() override {
        ++browserLookUps;
        return browserCommand;
    }
    int RunCommandLine(const std::string& line, int showMode) override {
        commandLines.push_back({line, showMode});
        return runResult;
    }
    OperatingSystemVersion GetOperatingSystemVersion() override { return version; }
    void* LoadLibrary(const std::string& name) override {
        loadedLibraries.push_back(name);
        return library;
    }
    SkinInitFunction FindSkinInit(void*, const std::string& name) override {
        lookedUpExports.push_back(name);
        return skinInit;
    }

  private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        if (!answers.front()) {
            answers.pop_front();
            return std::nullopt;
        }
        T answer = *answers.front();
        answers.pop_front();
        return answer;
    }
};
