// MovieOptionsDialog: the "Movie options" dialog's template and state as plain C++.
// It has one control per option of movie_option_fields (a check box, a drop-down
// list or an edit field), each holding the option's text, and OK and Cancel. The
// front end lays out Template(), shows each control's text, forwards what the user
// sets and clicks, and runs it modally until GetEnd() says it ended.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/dialog_layout.h"
#include "slideshow/movie_options.h"

class Platform;

inline constexpr const char* kMovieOptionsCaption = "Movie options";
// The buttons, and what Escape and the close button send.
inline constexpr int kIdOptionsOk = 1;
inline constexpr int kIdOptionsCancel = 2;

enum class MovieOptionsDialogEnd { kOpen, kOk, kCancel };

class MovieOptionsDialog {
  public:
    // Shows `options`; its messages carry `messageCaption` (the application's name).
    MovieOptionsDialog(Platform& platform, const MovieOptions& options, std::string messageCaption);
    MovieOptionsDialog(const MovieOptionsDialog&) = delete;
    MovieOptionsDialog& operator=(const MovieOptionsDialog&) = delete;

    // The template, made from the option table: a row per option (a check box, or a
    // label and its control), then OK and Cancel. A drop-down list's text lists its
    // words separated by '|'.
    static const DialogTemplate& Template();
    // The control of option `index` of MovieOptionFields(), and the option of a
    // control (-1 for none).
    static int ControlId(size_t index);
    static int OptionIndex(int controlId);

    // What an option's control holds: "true" or "false" for a check box, a word of a
    // list, an edit's text.
    const std::string& GetText(int controlId) const;
    // What the user set: a box ticked or cleared, a word chosen, a text typed.
    void SetText(int controlId, std::string text);

    // A click on OK or Cancel.
    void OnCommand(int id);
    // OK or Enter: every text is read back. At the first one its option refuses, a
    // message names it and what it should be, that control takes the focus and the
    // dialog stays open; so too for a crossfade longer than the seconds per picture.
    // Else the dialog ends confirmed with the options read.
    void OnOk();
    // Cancel, Escape or the close button: ends it, the options as they were.
    void OnCancel();

    MovieOptionsDialogEnd GetEnd() const { return end_; }
    // The options read back by OK; until then the ones it was opened with.
    const MovieOptions& GetOptions() const { return options_; }
    // The control that should have the keyboard focus; 0 for the front end's choice.
    int GetFocus() const { return focus_; }
    // Called when the focus is moved by the dialog (a refused text).
    void SetFocusListener(std::function<void()> listener) { focusListener_ = std::move(listener); }

  private:
    // Shows why OK was refused and gives option `index`'s control the focus.
    void Refuse(const std::string& message, size_t index);

    Platform& platform_;
    std::string messageCaption_;
    MovieOptions options_;
    std::vector<std::string> texts_;
    MovieOptionsDialogEnd end_ = MovieOptionsDialogEnd::kOpen;
    int focus_ = 0;
    std::function<void()> focusListener_;
};
