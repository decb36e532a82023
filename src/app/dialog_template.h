// A dialog laid out the way its template describes it: every control with its kind,
// id, text and rectangle in dialog units. The window converts the units to pixels
// with its font (DialogUnits), so the proportions hold whatever font is chosen.
#pragma once

#include <vector>

enum class ControlKind {
    kButton,
    kDefaultButton,
    kListView,
    kStatic,          // left-aligned text
    kStaticCentered,  // centred text
    kBlackFrame,      // the preview area
    kGroupBox,
    kEdit,           // bordered
    kEditCentered,   // bordered, centred text
    kReadOnlyField,  // read-only, no border
    kProgressBar,
    kBitmap,  // a picture that reports clicks
    kLink,    // a static shown as a link, reporting clicks
    kIcon,
};

struct TemplateControl {
    ControlKind kind;
    int id;  // -1 for controls nobody addresses
    const char* text;
    int x, y, width, height;  // dialog units
};

struct DialogTemplate {
    int width, height;  // dialog units
    std::vector<TemplateControl> controls;
};
