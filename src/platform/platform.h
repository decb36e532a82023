// The seam between the program's logic and the desktop: every operation that needs
// the windowing system or the shell goes through this interface, so a test can
// answer the dialogs and read every message box that would have appeared.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class AboutDialog;
class MovieOptionsDialog;

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
    // The folder the dialog opens in; empty for the dialog's own choice.
    std::string initialFolder;
};

// A multiple-selection open-file dialog.
struct OpenFilesRequest {
    // Label|pattern pairs separated (and ended) by '|'; a pattern may list several
    // extensions separated by ';'. Extensions match in any case.
    std::string filter;
    // The most characters the chosen names may take together (the folder once, then
    // each name and a separator); a selection that does not fit counts as cancelled.
    size_t nameBufferCapacity = 10000;
    // The folder the dialog opens in; empty for the dialog's own choice.
    std::string initialFolder;
};

// Splits "Label|*.a|Other|*.*||" into its label/pattern pairs.
std::vector<FileFilter> ParseFileFilter(const std::string& filter);

// The characters a selection takes in the open-file dialog's name buffer: one file
// as its full path; several as their folder and then each name, every one ended by
// a zero, and one more zero at the end. Paths of several files must share a folder.
size_t OpenFilesNameLength(const std::vector<std::string>& paths);

// One item of a pop-up menu: a command, or (no text) a separator.
struct MenuItem {
    int id = 0;
    std::string text;
    bool IsSeparator() const { return text.empty(); }
    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

struct OperatingSystemVersion {
    int major = 0;
    int minor = 0;
};

// The start-up export of an optional skinning library: called once with two null
// pointers and the skin file's name; its result is ignored.
using SkinInitFunction = int (*)(void*, void*, const char*);

// A colour as its red, green and blue parts.
struct RgbColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

// The exclamation sound of a failed link.
inline constexpr unsigned kBeepExclamation = 0x30;

// The shell's window-show command that shows a launched document normally.
inline constexpr int kShowNormal = 5;
// Window-show commands of the fixed launches: maximised, and restored to its normal
// size and place.
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowRestored = 1;
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

// RunCommandLine's code for a file that is no program, or a line that cannot be read
// as a program and its arguments.
inline constexpr int kRunBadFormat = 11;
// What RunCommandLine returns when the program started (any value above 31 means so).
inline constexpr int kRunCommandStarted = 33;

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

    // A modal multiple-selection open-file dialog; the chosen full paths in the
    // dialog's order, or nothing when cancelled.
    virtual std::optional<std::vector<std::string>> ShowOpenFilesDialog(
        const OpenFilesRequest& request) = 0;

    // A modal folder chooser with the given title, opened at `initialFolder` (empty
    // for its own choice); the chosen folder's path, or nothing when cancelled or when
    // the choice has no file-system path.
    virtual std::optional<std::string> ShowFolderDialog(const std::string& title,
                                                        const std::string& initialFolder) = 0;

    // Shows a pop-up menu with its left edge at screen position (x, y) and waits for
    // a choice; the chosen item's id, or 0 when none was chosen.
    virtual int TrackPopupMenu(const std::vector<MenuItem>& items, int x, int y) = 0;

    // Waits on the calling thread (any thread) for `milliseconds`, returning early
    // when `stop` is raised; false when it was.
    virtual bool Sleep(int32_t milliseconds, const std::atomic<bool>& stop) = 0;

    // Shows the About box modally and returns when it has ended.
    virtual void RunAboutDialog(AboutDialog& dialog) = 0;
    // Shows the "Movie options" dialog modally and returns when it has ended.
    virtual void RunMovieOptionsDialog(MovieOptionsDialog& dialog) = 0;

    // --- the options remembered between runs ---------------------------------------------
    // The texts the options file holds under each key, from the user's configuration
    // folder; empty when there is none, or it cannot be read or is damaged (the
    // options then start at their defaults).
    virtual std::map<std::string, std::string> ReadOptionsFile() = 0;
    // Writes these texts under their keys; false, with the reason in `error`, when the
    // file cannot be written.
    virtual bool WriteOptionsFile(const std::map<std::string, std::string>& texts,
                                  std::string& error) = 0;

    // Sounds the system's alert of the given kind.
    virtual void Beep(unsigned kind) = 0;
    // The system's highlight colour (links show it while the pointer is over them).
    virtual RgbColor GetHighlightColor() = 0;

    // --- the browser fall-back of link launches -------------------------------------
    // The default web browser's command for opening an address, with the placeholder
    // "%1" where the address goes ("firefox %1"); nothing when none is registered.
    virtual std::optional<std::string> LookUpBrowserCommand() = 0;
    // Runs a command line (a program and its arguments, quoted by the desktop-entry
    // rules) without a shell and without waiting for it. Above 31 when the program
    // started; else 0 out of resources, 2 file not found, 3 path not found, 5 access
    // denied, or 11 no program / a line that cannot be split.
    virtual int RunCommandLine(const std::string& commandLine, int showMode) = 0;

    // --- the program's own files -------------------------------------------------------
    // The full path of the running program's executable; empty when unknown.
    virtual std::string ExecutablePath() = 0;
    // True when the desktop has an application that opens files of the type of the
    // file at `path`.
    virtual bool HasApplicationFor(const std::string& path) = 0;

    // --- start-up -------------------------------------------------------------------
    virtual OperatingSystemVersion GetOperatingSystemVersion() = 0;
    // Loads a library by name through the system's search; null when it cannot be
    // loaded. A loaded library is never unloaded.
    virtual void* LoadLibrary(const std::string& name) = 0;
    // The library's export of that name as the skin start-up function, or null.
    virtual SkinInitFunction FindSkinInit(void* library, const std::string& name) = 0;
};
