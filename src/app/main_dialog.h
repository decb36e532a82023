// MainDialog: the main window's state and its command handlers as plain C++. The
// front end shows this state, forwards clicks and keys, and hears of every change
// through a listener; every handler talks to the desktop only through the Platform,
// so a test can run it with a scripted fake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/application_name.h"
#include "app/hyperlink_label.h"
#include "app/main_dialog_listener.h"
#include "app/run_host.h"
#include "slideshow/movie_options.h"
#include "slideshow/movie_settings.h"
#include "slideshow/slideshow_build.h"
#include "slideshow/slideshow_events.h"

class DrawingSurface;
class Picture;
class Platform;
class StopRequest;

// The dialog's controls that take the keyboard focus.
enum class DialogControl { kNone, kPictureList, kWidthField, kHeightField, kRateField };

// One row of the picture list: its number (column "No") and the picture's full path
// (column "FilePath"). Row order is frame order. The number is given when the row is
// added and travels with it; nothing recomputes it.
struct ImageListRow {
    std::string number;
    std::string path;
    bool selected = false;
    bool focused = false;
};

// How the dialog ended.
inline constexpr int kDialogConfirmed = 1;  // "Exit"
inline constexpr int kDialogCancelled = 2;  // the close button

class MainDialog {
  public:
    // The preview area is 218 by 187 dialog units; with the dialog font's 6 by 13 pixel
    // base units that makes 327 by 303 pixels. The front end sets the real size.
    static constexpr int32_t kDefaultPreviewWidth = 327;
    static constexpr int32_t kDefaultPreviewHeight = 303;
    // Each use of an adding command adds at most this many files.
    static constexpr int32_t kMaxFilesPerAdd = 1000;

    // `host` runs builds and previews; null runs them inline, inside the handler.
    explicit MainDialog(Platform& platform, RunHost* host = nullptr,
                        std::string applicationName = kApplicationName);
    ~MainDialog();
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    void SetListener(MainDialogListener* listener) { listener_ = listener; }
    // Where a clicked row's picture is read and decoded; null (the default) does it
    // inline, inside the handler. A front end gives a host whose newer job replaces
    // one still waiting, so the window never waits on a picture file.
    void SetPictureHost(RunHost* host) { pictureHost_ = host != nullptr ? host : &inlineHost_; }

    // --- commands ---------------------------------------------------------------------
    // Routes a button, clickable label, context-menu or window-menu command by its id.
    // Every command is refused while a build or preview runs.
    void OnCommand(int id);
    // "Save as Flash": asks for the movie's name and builds it from the list.
    void OnSaveAsFlash();
    // "Preview": plays the list in the preview area with timed waits.
    void OnPreview();
    // "Add Image(s)": inserts the files chosen in an open-file dialog.
    void OnAddImages();
    // "Add folder": replaces the list by the pictures of a chosen folder.
    void OnAddFolder();
    // Clears the list and adds the pictures of `folder`, numbered from 1.
    void AddFolderContents(const std::string& folder);
    // Files and folders dropped on the list, as one adding command: picture files go
    // in as "Add Image(s)" puts them, the pictures of a folder are appended as "Add
    // folder" finds them; at most 1000 in all.
    void OnDropPaths(const std::vector<std::string>& paths);
    void OnRemove();
    void OnRemoveAll();
    void OnMoveUp();
    void OnMoveDown();
    // "Buy Now", "Help", the banner and "Free web design tools downloads": fixed
    // launches that report nothing.
    void OnBuyNow();
    void OnHelpButton();
    void OnBanner();
    void OnPartnerLink();
    // "About" and the window menu's "&About Reelwright...": a new About box, modal.
    void OnAbout();
    // "Options...": the "Movie options" dialog, modal. Options confirmed with OK hold
    // from then on and are written to the options file for the next start.
    void OnOptions();
    // "Exit": reads the fields back; the dialog ends only when all hold integers.
    void OnExit();
    // The window's close button: stops a run and ends the dialog at once.
    void OnClose();

    // --- the picture list's notifications ---------------------------------------------
    // A left click; `row` is the row under the mouse, -1 for none.
    void OnListClick(int32_t row);
    // A right click at screen position (x, y): the context menu on a row, nothing on
    // empty space.
    void OnListRightClick(int32_t row, int x, int y);
    // An Up or Down arrow key pressed or released: shows the first selected row's
    // picture (before the list moves on a press, after it on a release).
    void ShowSelectedPicture();
    // Writes the number of rows into the picture-count field.
    void ShowPictureCount();

    // --- the picture list as the user changes it --------------------------------------
    const std::vector<ImageListRow>& GetRows() const { return rows_; }
    // Selection and focus as the list view has them after a click or key.
    void SetRowSelected(int32_t row, bool selected);
    void SetFocusedRow(int32_t row);
    // The first selected row, -1 for none.
    int32_t FirstSelectedRow() const;
    // Inserts a row numbered `number` at index `number` (at the end when the list is
    // shorter).
    void InsertListRow(int32_t number, std::string path);
    // Adds a row at the end, numbered after the last row.
    void AppendRow(std::string path);
    int32_t GetCurrentRow() const { return currentRow_; }
    // The row last scrolled into view; -1 for none.
    int32_t GetVisibleRow() const { return visibleRow_; }
    // The folder the last added pictures came from, where the file dialogs open; empty
    // before any were added.
    const std::string& GetPictureFolder() const { return pictureFolder_; }

    // --- settings and their fields ----------------------------------------------------
    // Reads height, width and frame rate from the fields, in that order. At the first
    // field without an integer: "Please enter an integer.", the focus and a whole-text
    // selection go to that field, the rest stay unread, and false is returned.
    bool ReadFieldsFromControls();
    // Writes the held settings into the three fields as decimal text.
    void WriteFieldsToControls();
    const MovieSettings& GetSettings() const { return settings_; }
    // The movie's options: those of the options file when the dialog was made (its
    // defaults where the file has none or refuses a value), then as "Options..." sets.
    const MovieOptions& GetMovieOptions() const { return options_; }
    const std::string& GetFieldText(DialogControl field) const;
    // What the user types into a field; held until the fields are read back.
    void SetFieldText(DialogControl field, std::string text);

    // --- focus ------------------------------------------------------------------------
    DialogControl GetFocus() const { return focus_; }
    // True when the focused field's whole text is selected.
    bool IsFocusedTextSelected() const { return focusedTextSelected_; }
    void SetFocus(DialogControl control, bool selectAllText = false);

    // --- progress, labels, preview ----------------------------------------------------
    int32_t GetProgressPosition() const { return progressPosition_; }
    const std::string& GetPercentLabel() const { return percentLabel_; }
    const std::string& GetPictureCountText() const { return pictureCountText_; }
    const std::string& GetPictureSizeText() const { return pictureSizeText_; }
    // The preview area's picture; it exists from the first command that draws.
    const DrawingSurface* GetPreviewSurface() const { return preview_.get(); }
    void SetPreviewSize(int32_t width, int32_t height);

    // --- the home-page link (control 1019) ---------------------------------------------
    // The front end attaches it to its control with that control's text, the maker's
    // address without a scheme (kMakerAddress), which the label opens unchanged. Its
    // clicks come through OnCommand, so that they too are refused while a run goes on.
    HyperlinkLabel& GetHomePageLabel() { return homePageLabel_; }

    // --- runs ---------------------------------------------------------------------------
    // True while a build or preview runs; the dialog then takes no command.
    bool IsRunning() const { return running_; }
    // The dialog's end: 0 while open, else kDialogConfirmed or kDialogCancelled.
    int GetEndResult() const { return endResult_; }
    const std::string& GetApplicationName() const { return applicationName_; }

  private:
    // The checks of a save before its dialog: false when the movie is refused.
    bool AcceptMovieBeforeSave();
    enum class RunKind { kBuild, kPreview };
    class RunEvents;

    // A modal message box with the exclamation icon and the application's name.
    void ShowMessage(const std::string& text);
    void ShowLimitMessage();
    DrawingSurface* AcquirePreviewSurface();
    std::string& FieldText(DialogControl field);
    std::vector<std::string> ListPaths() const;

    // Shows `picture` stretched over the preview area (null leaves it as it is).
    void DrawPreview(Picture* picture);
    void SetProgress(int32_t percent);
    void SetPictureSizeText(std::string text);
    void SelectRow(int32_t row, bool focus);
    // Rows first..last selected (added to the selection), the last one focused when
    // `focusLast`; one change told to the listener.
    void SelectRows(int32_t first, int32_t last, bool focusLast);
    // Row changes, told to the listener before and after.
    void InsertRowAt(int32_t index, int32_t number, std::string path);
    void RemoveRows(int32_t first, int32_t count);
    // Adds the pictures found in `folder` at the end, numbered on from `number`;
    // false once the 1000th has been added (the limit message is shown then).
    bool AppendFolderPictures(const std::string& folder, int32_t& number);
    // Inserts a chosen file as "Add Image(s)" does; false once it was the 1000th.
    bool InsertChosenFile(int32_t number, const std::string& path);
    void ResetProgress();
    // Rows 1 (the second) selected and focused, adding to the selection.
    void SelectSecondRow();
    // The core of a click and of the arrow keys: the row's picture is read on the
    // picture host; its size is written (and taken as the frame size when
    // `takeFrameSize`) as soon as it is known, and the picture drawn once decoded.
    void ShowRowPicture(int32_t row, bool takeFrameSize);
    // Makes every picture request made so far stale; the new request's number.
    uint64_t ForgetPictureRequests();
    // The size of request `request`'s picture arrived (0, 0 when it did not load).
    void ShowPictureSize(uint64_t request, int32_t width, int32_t height, bool takeFrameSize);
    void MoveCurrentRow(int32_t step);

    // A run begins: the dialog stops taking commands until FinishRun. The returned
    // request is the run's own, raised when the window closes.
    std::shared_ptr<StopRequest> BeginRun();
    void FinishBuild(const SlideshowBuildResult& result, const std::string& outputPath);
    void FinishRun();

    Platform& platform_;
    InlineRunHost inlineHost_;
    RunHost& host_;
    RunHost* pictureHost_ = &inlineHost_;
    // The latest picture request; results of older ones are dropped.
    uint64_t pictureRequest_ = 0;
    std::shared_ptr<StopRequest> pictureStop_;
    std::string pictureFolder_;
    std::string applicationName_;
    MainDialogListener* listener_ = nullptr;

    int32_t currentRow_ = -1;
    // The settings a build or preview committed when it started.
    MovieSettings buildSettings_{0, 0, 0};
    HyperlinkLabel homePageLabel_;
    MovieSettings settings_;
    MovieOptions options_;
    std::string widthText_;
    std::string heightText_;
    std::string rateText_;

    std::vector<ImageListRow> rows_;
    int32_t visibleRow_ = -1;

    DialogControl focus_ = DialogControl::kNone;
    bool focusedTextSelected_ = false;

    int32_t progressPosition_ = 0;
    std::string percentLabel_ = "0%";
    std::string pictureCountText_;
    std::string pictureSizeText_;

    int32_t previewWidth_ = kDefaultPreviewWidth;
    int32_t previewHeight_ = kDefaultPreviewHeight;
    std::unique_ptr<DrawingSurface> preview_;

    bool running_ = false;
    std::shared_ptr<StopRequest> stop_;
    int endResult_ = 0;
};
