// MainDialog: the main window's state and its command handlers as plain C++. The
// front end shows this state and forwards clicks; every handler talks to the desktop
// only through the Platform, so a test can run it with a scripted fake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/application_name.h"
#include "slideshow/movie_settings.h"

class DrawingSurface;
class Platform;

// The dialog's controls that take the keyboard focus.
enum class DialogControl { kNone, kPictureList, kWidthField, kHeightField, kRateField };

// One row of the picture list: its number (column "No") and the picture's full path
// (column "FilePath"). Row order is frame order.
struct ImageListRow {
    std::string number;
    std::string path;
    bool selected = false;
    bool focused = false;
};

class MainDialog {
  public:
    // The preview area is 218 by 187 dialog units; with the dialog font's 6 by 13 pixel
    // base units that makes 327 by 303 pixels.
    static constexpr int32_t kDefaultPreviewWidth = 327;
    static constexpr int32_t kDefaultPreviewHeight = 303;

    explicit MainDialog(Platform& platform, std::string applicationName = kApplicationName);
    ~MainDialog();
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // --- commands ---------------------------------------------------------------------
    // "Save as Flash": asks for the movie's name and builds it from the list.
    void OnSaveAsFlash();

    // --- settings and their fields ----------------------------------------------------
    // Reads height, width and frame rate from the fields, in that order. At the first
    // field without an integer: "Please enter an integer.", the focus and a whole-text
    // selection go to that field, the rest stay unread, and false is returned.
    bool ReadFieldsFromControls();
    // Writes the held settings into the three fields as decimal text.
    void WriteFieldsToControls();
    const MovieSettings& GetSettings() const { return settings_; }
    const std::string& GetFieldText(DialogControl field) const;
    // What the user types into a field; held until the fields are read back.
    void SetFieldText(DialogControl field, std::string text);

    // --- the picture list -------------------------------------------------------------
    const std::vector<ImageListRow>& GetRows() const { return rows_; }
    // Adds a row at the end, numbered from 1.
    void AppendRow(std::string path);
    // The row last scrolled into view; -1 for none.
    int32_t GetVisibleRow() const { return visibleRow_; }

    // --- focus ------------------------------------------------------------------------
    DialogControl GetFocus() const { return focus_; }
    // True when the focused field's whole text is selected.
    bool IsFocusedTextSelected() const { return focusedTextSelected_; }
    void SetFocus(DialogControl control, bool selectAllText = false);

    // --- progress, labels, preview ----------------------------------------------------
    int32_t GetProgressPosition() const { return progressPosition_; }
    const std::string& GetPercentLabel() const { return percentLabel_; }
    const std::string& GetPictureSizeText() const { return pictureSizeText_; }
    // The preview area's picture; it exists from the first command that draws.
    const DrawingSurface* GetPreviewSurface() const { return preview_.get(); }
    void SetPreviewSize(int32_t width, int32_t height);

    const std::string& GetApplicationName() const { return applicationName_; }

  private:
    class BuildProgress;

    // A modal message box with the exclamation icon and the application's name.
    void ShowMessage(const std::string& text);
    DrawingSurface* AcquirePreviewSurface();
    std::string& FieldText(DialogControl field);

    Platform& platform_;
    std::string applicationName_;

    MovieSettings settings_;
    std::string widthText_;
    std::string heightText_;
    std::string rateText_;

    std::vector<ImageListRow> rows_;
    int32_t visibleRow_ = -1;

    DialogControl focus_ = DialogControl::kNone;
    bool focusedTextSelected_ = false;

    int32_t progressPosition_ = 0;
    std::string percentLabel_ = "0%";
    std::string pictureSizeText_;

    int32_t previewWidth_ = kDefaultPreviewWidth;
    int32_t previewHeight_ = kDefaultPreviewHeight;
    std::unique_ptr<DrawingSurface> preview_;
};
