// The "Movie options" dialog: MovieOptionsDialog's template laid out in the dialog
// font's units, each control showing its option's text and handing on what the user
// sets; OK and Cancel go to the dialog, whose end it waits for.
#pragma once

#include <QDialog>
#include <map>

#include "app/movie_options_dialog.h"

class MovieOptionsBox final : public QDialog {
  public:
    // Laid out in `font` (the main window's, so both dialogs look alike).
    MovieOptionsBox(MovieOptionsDialog& dialog, const QFont& font, QWidget* parent);

    // The widget of control `id` (null for none).
    QWidget* Control(int id) const;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    QWidget* MakeControl(const ControlLayout& control);
    // Gives the control the dialog names the keyboard focus, its text selected.
    void ShowFocus();
    // Ends the box once the dialog says it ended.
    void EndIfDone();

    MovieOptionsDialog& dialog_;
    std::map<int, QWidget*> controls_;
};

// Runs the "Movie options" dialog modally over `parent` (may be null) until it ends.
void ShowMovieOptionsBox(MovieOptionsDialog& dialog, QWidget* parent);
