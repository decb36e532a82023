// A scripted stand-in for the desktop: it answers the save dialog from a queue and
// records every message box, save request, shell launch and list repaint.
#pragma once

#include <deque>
#include <functional>
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

class FakePlatform : public Platform {
  public:
    // The answers of the next save dialogs, in order; nothing queued means cancel.
    std::deque<std::optional<std::string>> saveAnswers;
    int shellResult = 42;

    std::vector<RecordedMessage> messages;
    std::vector<SaveFileRequest> saveRequests;
    std::vector<RecordedLaunch> launches;
    int repaints = 0;
    // Runs at every list repaint, to look at the dialog in the middle of a command.
    std::function<void()> onRepaint;

    void ShowMessageBox(const std::string& text, MessageIcon icon,
                        const std::string& caption) override {
        messages.push_back({text, icon, caption});
    }
    std::optional<std::string> ShowSaveFileDialog(const SaveFileRequest& request) override {
        saveRequests.push_back(request);
        if (saveAnswers.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> answer = saveAnswers.front();
        saveAnswers.pop_front();
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
    int ShellOpen(const std::string& verb, const std::string& target, int showMode) override {
        launches.push_back({verb, target, showMode});
        return shellResult;
    }
    void RepaintList() override {
        ++repaints;
        if (onRepaint) {
            onRepaint();
        }
    }
};
