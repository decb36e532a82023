// The seam between the program's logic and the desktop: every operation that needs
// the windowing system or the shell goes through this interface, so a test can
// answer the dialogs and read every message box that would have appeared.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class MessageIcon { kNone, kExclamation, kInformation };

// One choice of a file dialog's type list: the label shown and its pattern(s).
struct FileFilter {
    std::string label;
    std::string pattern;
    friend bool operator==(const FileFilter&, const FileFilter&) = default;
};

struct SaveFileRequest {
    std::string title;
    // Label|pattern pairs separated by '|' and ended by "||".
    std::string filter;
    // Appended (with a dot) to a name typed without extension.
    std::string defaultExtension;
    bool confirmOverwrite = true;
    std::string initialName;
};

// Splits "Label|*.a|Other|*.*||" into its label/pattern pairs.
std::vector<FileFilter> ParseFileFilter(const std::string& filter);

// The shell's window-show command that shows a launched document normally.
inline constexpr int kShowNormal = 5;
// Results of ShellOpen at or below this value are failures.
inline constexpr int kShellOpenFailureLimit = 32;
// Failure codes of ShellOpen, as the shell reports them.
inline constexpr int kShellOutOfResources = 0;
inline constexpr int kShellFileNotFound = 2;
inline constexpr int kShellPathNotFound = 3;
inline constexpr int kShellAccessDenied = 5;
inline constexpr int kShellOutOfMemory = 8;
inline constexpr int kShellNoAssociation = 31;
// What ShellOpen returns when the document was handed to its program.
inline constexpr int kShellOpenSucceeded = 42;

class Platform {
  public:
    virtual ~Platform() = default;

    // A modal message box with an OK button.
    virtual void ShowMessageBox(const std::string& text, MessageIcon icon,
                                const std::string& caption) = 0;

    // A modal save-file dialog; the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> ShowSaveFileDialog(const SaveFileRequest& request) = 0;

    // Asks the shell to open `target` (a file path or an address) with `verb`; returns
    // the shell's code: above 32 on success, else one of the failure codes above.
    virtual int ShellOpen(const std::string& verb, const std::string& target, int showMode) = 0;

    // Repaints the picture list at once.
    virtual void RepaintList() = 0;
};
