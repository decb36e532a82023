// Desktop entries (the .desktop files of freedesktop.org desktops) as far as the
// browser fall-back needs them: where an application's entry lives, its Exec line,
// and how such a line is split into a program and its arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The Exec value of the [Desktop Entry] group with the string escapes \s \n \t \r
// and \\ undone (other backslashes stay for the quoting rules); nothing when the
// group or the key is missing.
std::optional<std::string> ReadDesktopEntryExec(const std::string& fileText);

// An Exec value written as an open command with the placeholder "%1": the file or
// address field code (%f, %F, %u or %U) becomes "%1", "%%" becomes "%", and the field
// codes that add nothing here (%i, %c, %k and the deprecated %d %D %n %N %v %m) are
// dropped. Nothing when the value holds a field code no desktop knows or ends in a
// lone "%": such an entry must not be run.
std::optional<std::string> ExecToOpenCommand(const std::string& exec);

// Splits a command line into words by the Exec quoting rules: blanks (space, tab,
// line break) separate words; a part in double quotes keeps its blanks, and inside it
// a backslash makes the next " ` $ or \ literal. Outside quotes every character but
// a blank or a quote is literal. Nothing when a quote is left open.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& line);

// The folders that hold desktop entries, the one that wins first:
// $XDG_DATA_HOME/applications (default ~/.local/share), then the applications folder
// of each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share). Relative folders
// in either variable are ignored, as the base-directory rules say.
std::vector<std::string> ApplicationFolders();

// The file of the desktop entry `id` ("firefox-esr.desktop") in the first folder that
// holds it; a '-' of the id may stand for a subfolder ("kde4-b.desktop" in kde4/).
// Nothing for an id that is not a plain ".desktop" file name, or when no folder has it.
std::optional<std::string> FindDesktopEntry(const std::string& id,
                                            const std::vector<std::string>& folders);

// The open command of the desktop entry `id` found in `folders`: its Exec line made an
// open command (above). Nothing when the entry is missing, unreadable, larger than a
// desktop entry ever is, without an Exec line, or refused by ExecToOpenCommand.
std::optional<std::string> DesktopEntryOpenCommand(const std::string& id,
                                                   const std::vector<std::string>& folders);
