// A control of a dialog template as the front end lays it out. Positions and sizes
// are in dialog units: x pixels = units x the dialog font's average character width
// / 4, y pixels = units x its character height / 8.
#pragma once

#include <string>
#include <vector>

enum class ControlKind {
    kIcon,           // the application's icon
    kText,           // a plain static text, left-aligned
    kCenteredText,   // a plain static text, centred
    kButton,         // a push button
    kDefaultButton,  // the push button that Enter presses
    kLink,           // a static text that becomes a HyperlinkLabel
    kClickableText,  // a plain static text that reports clicks
    kListView,       // the picture list
    kBlackFrame,     // the preview area
    kGroupBox,       // a frame around other controls
    kEdit,           // a bordered edit field
    kCenteredEdit,   // a bordered edit field, text centred
    kReadOnlyField,  // a read-only field without border
    kProgressBar,
    kBitmap,        // a picture that reports clicks
    kCheckBox,      // a check box with its caption
    kDropDownList,  // a list of words to choose one from; its text lists them, '|' between
};

// The id of a static that reports nothing.
inline constexpr int kIdStatic = -1;

struct ControlLayout {
    int id = kIdStatic;
    ControlKind kind = ControlKind::kText;
    std::string text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // '&' is shown as it is, not taken for a keyboard mnemonic.
    bool noPrefix = false;
};

// A whole dialog template: its client size in dialog units and its controls.
struct DialogTemplate {
    int width = 0;
    int height = 0;
    std::vector<ControlLayout> controls;
};
