// Each option of MovieOptions as the user meets it, in one table: its key (the
// settings file's key, and the command line's long option --KEY), its caption and
// control in the "Movie options" dialog, and its text form, read and written here
// for the command line, the dialog and the settings file alike. A new option is one
// member of MovieOptions and one row here.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

#include "slideshow/movie_options.h"

enum class MovieOptionKind {
    kSwitch,  // on or off: a check box; the text "true" or "false"; a bare --KEY
    kChoice,  // one of a few words: a drop-down list
    kText,    // anything typed: an edit field
};

struct MovieOptionField {
    const char* key;
    MovieOptionKind kind;
    // The dialog's caption: a check box's text, or the label before the control.
    const char* caption;
    // What the value is, in a sentence: "JPEG quality".
    const char* noun;
    // The words of a choice, separated by '|'; empty for other kinds.
    const char* choices;
    // Takes the option's text into `options`; false for a text it refuses, with
    // `expected` saying what it should be ("a whole number from 1 to 100").
    bool (*read)(std::string_view text, MovieOptions& options, std::string& expected);
    // The option's text.
    std::string (*write)(const MovieOptions& options);
};

// Every option, in the order the dialog shows them.
std::span<const MovieOptionField> MovieOptionFields();
// The option of that key; null for none.
const MovieOptionField* FindMovieOptionField(std::string_view key);

// The text of a switch that is on, and off.
inline constexpr const char* kSwitchOn = "true";
inline constexpr const char* kSwitchOff = "false";

// "Invalid JPEG quality '0': expected a whole number from 1 to 100." for a text the
// option refused.
std::string InvalidOptionMessage(const MovieOptionField& field, std::string_view text,
                                 const std::string& expected);

// Every option's text under its key: what the settings file holds.
std::map<std::string, std::string> MovieOptionTexts(const MovieOptions& options);
// The options that these texts give: each key read on its own, so a text that is
// refused (a damaged or hostile file) leaves that option at its default and no
// other; keys of no option are passed over.
MovieOptions MovieOptionsFromTexts(const std::map<std::string, std::string>& texts);
