// The platform operations on a Linux desktop without a toolkit: message boxes go to
// standard error, the save dialog is cancelled, and the shell is `xdg-open`. The Qt
// front end replaces the dialogs; the launches stay.
#pragma once

#include <string>

#include "platform/platform.h"

class LinuxPlatform : public Platform {
  public:
    // `opener` is the program that opens documents and addresses (found on PATH when
    // it has no '/').
    explicit LinuxPlatform(std::string opener = "xdg-open");

    void ShowMessageBox(const std::string& text, MessageIcon icon,
                        const std::string& caption) override;
    std::optional<std::string> ShowSaveFileDialog(const SaveFileRequest& request) override;
    // Starts the opener with the target as its one argument, without a shell, and
    // does not wait for it; a helper thread reaps it when it ends.
    int ShellOpen(const std::string& verb, const std::string& target, int showMode) override;
    void RepaintList() override {}

  private:
    std::string opener_;
};
