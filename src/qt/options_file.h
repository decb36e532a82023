// The options file: the "Movie options" remembered between runs, kept through
// QSettings as reelwright/reelwright.conf in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config), group [movie], one key per option holding its
// text. It is outside data like any picture: read with care, and every value is
// still checked by its option's own text form.
#pragma once

#include <QString>
#include <map>
#include <string>

// Where the file is.
QString OptionsFilePath();

// The texts under the group's keys. Nothing (so the defaults) when the file is
// missing, unreadable, larger than any file this program writes, or damaged; a value
// that is not plain text (a list, a byte array, a serialised variant) is left out.
std::map<std::string, std::string> ReadOptionsSettings();

// Writes the texts under their keys (the file replaced whole, not in place); false,
// with the reason, when it cannot.
bool WriteOptionsSettings(const std::map<std::string, std::string>& texts, std::string& error);
