// The About box: template 100 laid out in the dialog font's units over an
// AboutDialog, whose labels it shows and whose end it waits for.
#pragma once

#include <QDialog>
#include <map>

#include "app/about_dialog.h"

class QFont;

class AboutBox final : public QDialog {
  public:
    // Laid out in `font` (the main window's, so both dialogs look alike).
    AboutBox(AboutDialog& dialog, const QFont& font, QWidget* parent);

    // The widget of control `id` (null for none).
    QWidget* Control(int id) const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    // The widget of one template control at `rect`; `parent` gives the icon.
    QWidget* MakeControl(const ControlLayout& control, const QRect& rect, QWidget* parent);
    // Ends the box once the dialog says it ended.
    void EndIfDone();

    AboutDialog& dialog_;
    std::map<int, QWidget*> controls_;
};

// Runs the About box modally over `parent` (may be null) until it ends.
void ShowAboutBox(AboutDialog& dialog, QWidget* parent);
