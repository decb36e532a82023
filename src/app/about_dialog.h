// AboutDialog: the About box's template and state as plain C++. The front end lays
// out Controls(), binds the labels through BindLabels, shows the labels' state,
// forwards clicks and keys, and runs it modally until GetEnd() says it ended.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/application_name.h"
#include "app/dialog_layout.h"
#include "app/hyperlink_label.h"

class Platform;

// The controls of the About box that act.
inline constexpr int kIdAboutOk = 1;
// What Escape and the close button send.
inline constexpr int kIdAboutCancel = 2;
inline constexpr int kIdAboutHomePage = 1016;
inline constexpr int kIdAboutProduct1 = 1027;
inline constexpr int kIdAboutProduct2 = 1028;
inline constexpr int kIdAboutProduct3 = 1029;
inline constexpr int kIdAboutProduct4 = 1030;
inline constexpr int kIdAboutMail = 1031;

// The text of the window-menu item that opens the box (command kIdSystemMenuAbout).
inline constexpr const char* kAboutMenuItemText = "&About Reelwright...";

enum class AboutDialogEnd { kOpen, kOk, kCancel };

class AboutDialog {
  public:
    // The box's size in dialog units.
    static constexpr int kWidth = 252;
    static constexpr int kHeight = 239;

    // A new box: every link starts unvisited. `caption` is the window's title and the
    // caption of its messages.
    explicit AboutDialog(Platform& platform, std::string caption = kApplicationName);
    AboutDialog(const AboutDialog&) = delete;
    AboutDialog& operator=(const AboutDialog&) = delete;

    // The template: every control in the order of its tab stops and drawing.
    static const std::vector<ControlLayout>& Controls();
    const std::string& GetCaption() const { return caption_; }

    // Attaches the five links to their controls in the order they are declared (1030,
    // 1029, 1028, 1027, 1016), each with its control's text, at the rectangle `place`
    // gives for the control (pixels in the box's client area), its text measured by
    // `measure`.
    void BindLabels(const std::function<LabelRect(const ControlLayout&)>& place,
                    const TextMeasure& measure);
    // The link of control `id`; null for any other control.
    HyperlinkLabel* GetLabel(int id);

    // A click on a control, or kIdAboutOk / kIdAboutCancel. The links open their
    // address; the mail address opens a mail to it and reports nothing; OK ends the
    // box confirmed, cancel ends it cancelled. Nothing happens once it has ended.
    void OnCommand(int id);
    // OK or Enter.
    void OnOk();
    // Escape or the close button.
    void OnCancel();
    AboutDialogEnd GetEnd() const { return end_; }

  private:
    Platform& platform_;
    std::string caption_;
    // Declared in the order they are bound.
    HyperlinkLabel product4Label_;
    HyperlinkLabel product3Label_;
    HyperlinkLabel product2Label_;
    HyperlinkLabel product1Label_;
    HyperlinkLabel homePageLabel_;
    AboutDialogEnd end_ = AboutDialogEnd::kOpen;
};
