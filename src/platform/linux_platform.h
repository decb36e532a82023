// The platform operations on a Linux desktop without a toolkit: message boxes go to
// standard error, dialogs and menus are cancelled, and the shell is `xdg-open`. The
// Qt front end replaces the dialogs and menus; the rest stays.
#pragma once

#include <chrono>
#include <string>

#include "platform/platform.h"

class LinuxPlatform : public Platform {
  public:
    // The longest ShellOpen waits for the opener's exit status.
    static constexpr std::chrono::milliseconds kOpenerTimeLimit{2000};

    // `opener` is the program that opens documents and addresses (found on PATH when
    // it has no '/').
    explicit LinuxPlatform(std::string opener = "xdg-open",
                           std::chrono::milliseconds openerTimeLimit = kOpenerTimeLimit);

    void ShowMessageBox(const std::string& text, MessageIcon icon,
                        const std::string& caption) override;
    std::optional<std::string> ShowSaveFileDialog(const SaveFileRequest& request) override;
    // Starts the opener with the target as its one argument, without a shell, and
    // waits (at most the time limit) for its exit status: 42 when it opened the
    // target or still runs, 2 when it found no such file, else 31 (nothing could open
    // it). The verb is "open" or empty (the default verb, which is "open").
    int ShellOpen(const std::string& verb, const std::string& target, int showMode) override;
    // Without a toolkit the dialogs and menus count as cancelled.
    std::optional<std::vector<std::string>> ShowOpenFilesDialog(
        const OpenFilesRequest& request) override;
    std::optional<std::string> ShowFolderDialog(const std::string& title,
                                                const std::string& initialFolder) override;
    int TrackPopupMenu(const std::vector<MenuItem>& items, int x, int y) override;
    // Without a toolkit there is nobody to show the About box or the options to:
    // nothing happens.
    void RunAboutDialog(AboutDialog& dialog) override;
    void RunMovieOptionsDialog(MovieOptionsDialog& dialog) override;
    // Without a toolkit nothing is remembered: no options file is read or written
    // (the command line takes its options from its words alone).
    std::map<std::string, std::string> ReadOptionsFile() override;
    bool WriteOptionsFile(const std::map<std::string, std::string>& texts,
                          std::string& error) override;
    // Sleeps in short steps so a raised stop is seen within a few milliseconds.
    bool Sleep(int32_t milliseconds, const std::atomic<bool>& stop) override;
    // The terminal's bell on standard error.
    void Beep(unsigned kind) override;
    // Without a toolkit there is no palette to ask: Qt's default highlight, 48 140
    // 198. The Qt front end answers from its palette.
    RgbColor GetHighlightColor() override;
    // The desktop entry that `xdg-mime query default text/html` names, looked up in
    // the XDG data folders; its Exec line with the placeholder.
    std::optional<std::string> LookUpBrowserCommand() override;
    // Splits the line by the desktop-entry quoting rules and starts the program found
    // on PATH (or at its path); a helper thread reaps it. Linux has no window-show
    // command to hand on, so the show mode is not used.
    int RunCommandLine(const std::string& commandLine, int showMode) override;
    // /proc/self/exe.
    std::string ExecutablePath() override;
    // `xdg-mime query filetype` gives the file's type, `xdg-mime query default` its
    // application; false when either has no answer.
    bool HasApplicationFor(const std::string& path) override;
    // The kernel's release ("6.1.0-..." gives 6.1).
    OperatingSystemVersion GetOperatingSystemVersion() override;
    // dlopen with the system's search; dlsym.
    void* LoadLibrary(const std::string& name) override;
    SkinInitFunction FindSkinInit(void* library, const std::string& name) override;

  protected:
    // Called every few milliseconds while ShellOpen waits for the opener: a front end
    // keeps its windows painted here.
    virtual void WhileWaitingForOpener() {}

  private:
    std::string opener_;
    std::chrono::milliseconds openerTimeLimit_;
};
