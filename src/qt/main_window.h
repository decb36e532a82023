// The main window: template 102 laid out in the dialog font's units, showing
// MainDialog's state and forwarding every click and key to it. It holds no state of
// its own beyond the widgets: what it shows comes from the dialog's listener calls.
#pragma once

#include <QDialog>
#include <QEvent>
#include <QFont>
#include <map>

#include "app/dialog_layout.h"
#include "app/main_dialog.h"
#include "app/main_dialog_listener.h"
#include "qt/dialog_units.h"
#include "qt/picture_list_view.h"
#include "qt/qt_latest_job_host.h"
#include "qt/qt_run_host.h"

class HyperlinkLabelWidget;
class ImageListModel;
class Platform;
class PreviewWidget;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTableView;

class MainWindow final : public QDialog, private MainDialogListener {
  public:
    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    MainDialog& Dialog() { return dialog_; }
    // The widget of a template control by its id (null for none).
    QWidget* Control(int id) const;
    QTableView* PictureList() const { return list_; }
    const DialogUnits& Units() const { return units_; }
    // Template controls whose caption does not fit them in the window's font, as
    // "id text"; empty when all fit.
    QStringList CaptionsThatDoNotFit() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;

  private:
    void BuildControls();
    QWidget* MakeControl(const ControlLayout& control);
    QWidget* MakeButton(const QString& caption, int id);
    QWidget* MakeList();
    QWidget* MakeSettingsField(int id, bool centred);
    QWidget* MakeReadOnlyField(int id);
    QWidget* MakeClickable(const ControlLayout& control);
    QWidget* MakeLabel(const ControlLayout& control);
    void ConnectList();
    void ShowInitialState();
    // Filters the input of `widget` and every control inside it.
    void WatchInput(QWidget* widget);
    bool IsKeyReceiver(const QWidget* widget) const;
    // True when the key is swallowed.
    bool FilterKey(QEvent::Type type, int key);
    void SyncSelectionToView();

    // MainDialogListener
    void OnRowsAboutToBeInserted(int32_t first, int32_t last) override;
    void OnRowsInserted() override;
    void OnRowsAboutToBeRemoved(int32_t first, int32_t last) override;
    void OnRowsRemoved() override;
    void OnRowAboutToMove(int32_t from, int32_t to) override;
    void OnRowMoved() override;
    void OnSelectionChanged() override;
    void OnRowRevealed(int32_t row) override;
    void OnFieldsChanged() override;
    void OnFocusChanged() override;
    void OnProgressChanged() override;
    void OnLabelsChanged() override;
    void OnPreviewChanged() override;
    void OnRunningChanged() override;
    void OnEnded() override;

    QtRunHost host_{this};
    QtLatestJobHost pictureHost_{this};
    MainDialog dialog_;
    DialogUnits units_;
    std::map<int, QWidget*> controls_;
    // Every template control with the widget made for it, in template order.
    std::vector<std::pair<ControlLayout, QWidget*>> laidOut_;
    ImageListModel* model_ = nullptr;
    PictureListView* list_ = nullptr;
    PreviewWidget* preview_ = nullptr;
    HyperlinkLabelWidget* homePageLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* percentLabel_ = nullptr;
    QLineEdit* countField_ = nullptr;
    QLineEdit* sizeField_ = nullptr;
    QLineEdit* widthField_ = nullptr;
    QLineEdit* heightField_ = nullptr;
    QLineEdit* rateField_ = nullptr;
    // Set while the view's selection is being made to match the dialog's, so the
    // view's own change signals are not sent back.
    bool syncingSelection_ = false;
    bool busyCursor_ = false;
};
