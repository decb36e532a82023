#include "qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>

#include "app/about_dialog.h"
#include "app/dialog_ids.h"
#include "app/main_dialog_template.h"
#include "qt/clickable_label.h"
#include "qt/hyperlink_label_widget.h"
#include "qt/image_list_model.h"
#include "qt/picture_list_view.h"
#include "qt/preview_widget.h"
#include "qt/window_log.h"

namespace {

constexpr int kNumberColumnWidth = 30;
constexpr int kPathColumnWidth = 260;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString CaptionOf(const ControlLayout& control) {
    return Text(control.text);
}

// A link label sizes itself to its text, so its template width does not bound its
// caption.
bool SizesItself(const ControlLayout& control) {
    return control.kind == ControlKind::kLink;
}

bool IsButton(ControlKind kind) {
    return kind == ControlKind::kButton || kind == ControlKind::kDefaultButton;
}

// True when every caption of the template fits its control in `font`: a button's
// text with the style's margins and frame on both sides, a static's text on its
// line.
bool CaptionsFit(const QFont& font, QStyle* style) {
    const DialogUnits units = MeasureDialogUnits(font);
    const QFontMetrics metrics(font);
    const int buttonPadding = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin) +
                                   style->pixelMetric(QStyle::PM_DefaultFrameWidth));
    for (const ControlLayout& control : MainDialogTemplate().controls) {
        const QString caption = CaptionOf(control);
        if (caption.isEmpty() || SizesItself(control)) {
            continue;
        }
        const QRect rect = units.ToPixels(control.x, control.y, control.width, control.height);
        const int needed =
            metrics.horizontalAdvance(caption) + (IsButton(control.kind) ? buttonPadding : 0);
        if (needed > rect.width() || metrics.height() > rect.height() + 1) {
            return false;
        }
    }
    return true;
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ContextMenu:
        case QEvent::Wheel:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

DialogControl FieldOf(int id) {
    switch (id) {
        case kIdWidthField:
            return DialogControl::kWidthField;
        case kIdHeightField:
            return DialogControl::kHeightField;
        default:
            return DialogControl::kRateField;
    }
}

}  // namespace

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : QDialog(parent), dialog_(platform, &host_) {
    setWindowTitle(Text(dialog_.GetApplicationName()));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QString(":/icons/reelwright-%1.png").arg(size), QSize(size, size));
    }
    setWindowIcon(icon);

    setFont(ChooseDialogFont(QApplication::font(),
                             [this](const QFont& font) { return CaptionsFit(font, style()); }));
    units_ = MeasureDialogUnits(font());
    const DialogTemplate& layout = MainDialogTemplate();
    setFixedSize(units_.ToPixelsX(layout.width), units_.ToPixelsY(layout.height));
    // A fixed-size dialog: the window manager is told it has no maximise button
    // (fixed size hints, no maximise in the Motif hints).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    BuildControls();
    ConnectList();
    // The home-page label is the dialog's own; its click goes through the dialog's
    // routing, which refuses it during a run.
    homePageLabel_->Bind(dialog_.GetHomePageLabel(), 0,
                         [this] { dialog_.OnCommand(kIdHomePageLabel); });
    dialog_.SetPreviewSize(preview_->width(), preview_->height());
    dialog_.SetPictureHost(&pictureHost_);
    dialog_.SetListener(this);
    ShowInitialState();
    // Keys reach the arrow-key preview and the Enter/Escape filter before the control
    // of this window that has the focus handles them, as a dialog's message
    // pre-translation would. Only this window's own controls are watched: a message
    // box, file dialog, menu or About box over it keeps its keys.
    WatchInput(this);
}

MainWindow::~MainWindow() {
    if (busyCursor_) {
        QApplication::restoreOverrideCursor();
    }
    dialog_.SetListener(nullptr);
}

QWidget* MainWindow::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void MainWindow::BuildControls() {
    std::vector<QGroupBox*> groups;
    for (const ControlLayout& control : MainDialogTemplate().controls) {
        QWidget* widget = MakeControl(control);
        widget->setGeometry(units_.ToPixels(control.x, control.y, control.width, control.height));
        if (control.id != kIdStatic) {
            controls_[control.id] = widget;
            NameControl(widget, control.id);
        }
        laidOut_.emplace_back(control, widget);
        if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            groups.push_back(group);
        }
    }
    // The frames stay behind the controls they frame.
    for (QGroupBox* group : groups) {
        group->lower();
    }
}

QWidget* MainWindow::MakeControl(const ControlLayout& control) {
    const QString caption = CaptionOf(control);
    const int id = control.id;
    switch (control.kind) {
        case ControlKind::kButton:
        case ControlKind::kDefaultButton:
            return MakeButton(caption, id);
        case ControlKind::kListView:
            return MakeList();
        case ControlKind::kBlackFrame:
            preview_ = new PreviewWidget(this);
            return preview_;
        case ControlKind::kGroupBox:
            return new QGroupBox(this);
        case ControlKind::kEdit:
        case ControlKind::kCenteredEdit:
            return MakeSettingsField(id, control.kind == ControlKind::kCenteredEdit);
        case ControlKind::kReadOnlyField:
            return MakeReadOnlyField(id);
        case ControlKind::kProgressBar:
            progress_ = new QProgressBar(this);
            progress_->setRange(0, 100);
            progress_->setValue(0);
            progress_->setTextVisible(false);
            return progress_;
        case ControlKind::kBitmap:
        case ControlKind::kClickableText:
            return MakeClickable(control);
        case ControlKind::kLink:
            homePageLabel_ = new HyperlinkLabelWidget(this);
            homePageLabel_->setText(caption);
            return homePageLabel_;
        case ControlKind::kCenteredText:
        case ControlKind::kText:
        case ControlKind::kIcon:
        default:
            return MakeLabel(control);
    }
}

QWidget* MainWindow::MakeButton(const QString& caption, int id) {
    auto* button = new QPushButton(caption, this);
    // Enter never presses a button of this dialog.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, id] { dialog_.OnCommand(id); });
    return button;
}

QWidget* MainWindow::MakeList() {
    PictureListView::Handlers handlers;
    handlers.onClick = [this](int row) { dialog_.OnListClick(row); };
    handlers.onRightClick = [this](int row, QPoint at) {
        dialog_.OnListRightClick(row, at.x(), at.y());
    };
    handlers.acceptsDrops = [this] { return !dialog_.IsRunning(); };
    handlers.onDrop = [this](const std::vector<std::string>& paths) { dialog_.OnDropPaths(paths); };
    list_ = new PictureListView(this, std::move(handlers));
    return list_;
}

QWidget* MainWindow::MakeSettingsField(int id, bool centred) {
    auto* edit = new QLineEdit(this);
    if (centred) {
        edit->setAlignment(Qt::AlignCenter);
    }
    const DialogControl field = FieldOf(id);
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
        dialog_.SetFieldText(field, text.toStdString());
    });
    (id == kIdWidthField ? widthField_ : id == kIdHeightField ? heightField_ : rateField_) = edit;
    return edit;
}

QWidget* MainWindow::MakeReadOnlyField(int id) {
    auto* field = new QLineEdit(this);
    field->setReadOnly(true);
    field->setFrame(false);
    field->setFocusPolicy(Qt::ClickFocus);
    QPalette flat = field->palette();
    flat.setColor(QPalette::Base, flat.color(QPalette::Window));
    field->setPalette(flat);
    (id == kIdPictureCount ? countField_ : sizeField_) = field;
    return field;
}

QWidget* MainWindow::MakeClickable(const ControlLayout& control) {
    const int id = control.id;
    auto* clickable = new ClickableLabel(this, [this, id] { dialog_.OnCommand(id); });
    clickable->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (control.kind == ControlKind::kBitmap) {
        clickable->setPixmap(QPixmap(":/banner.png"));
        clickable->setCursor(Qt::PointingHandCursor);
    } else {
        clickable->setText(CaptionOf(control));
    }
    return clickable;
}

QWidget* MainWindow::MakeLabel(const ControlLayout& control) {
    auto* label = new QLabel(CaptionOf(control), this);
    label->setAlignment(
        (control.kind == ControlKind::kCenteredText ? Qt::AlignHCenter : Qt::AlignLeft) |
        Qt::AlignTop);
    if (control.id == kIdPercentLabel) {
        percentLabel_ = label;
    }
    return label;
}

void MainWindow::ConnectList() {
    model_ = new ImageListModel(dialog_, this);
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    // A path wider than its column keeps its start and its file name; the tooltip
    // shows it whole.
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->setColumnWidth(0, kNumberColumnWidth);
    list_->setColumnWidth(1, kPathColumnWidth);
    list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // The user's selection and focus go to the dialog as they change.
    QItemSelectionModel* selection = list_->selectionModel();
    connect(selection, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (syncingSelection_) {
                    return;
                }
                for (const QModelIndex& index : deselected.indexes()) {
                    dialog_.SetRowSelected(index.row(), false);
                }
                for (const QModelIndex& index : selected.indexes()) {
                    dialog_.SetRowSelected(index.row(), true);
                }
            });
    connect(selection, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!syncingSelection_) {
                    dialog_.SetFocusedRow(current.isValid() ? current.row() : -1);
                }
            });
}

void MainWindow::ShowInitialState() {
    OnFieldsChanged();
    OnProgressChanged();
    OnLabelsChanged();
}

void MainWindow::WatchInput(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        if (!child->isWindow()) {
            child->installEventFilter(this);
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return QDialog::eventFilter(watched, event);
    }
    const QEvent::Type type = event->type();
    if (type == QEvent::ChildAdded) {
        // Controls made later (a view's scroll bars, for instance) are watched too.
        auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
        if (child != nullptr && !child->isWindow()) {
            WatchInput(child);
        }
    } else if (dialog_.IsRunning()) {
        // While a build or preview runs the dialog takes no input; it still paints.
        return IsUserInput(type) || QDialog::eventFilter(watched, event);
    } else if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && IsKeyReceiver(widget)) {
        return FilterKey(type, static_cast<QKeyEvent*>(event)->key());
    }
    return QDialog::eventFilter(watched, event);
}

bool MainWindow::IsKeyReceiver(const QWidget* widget) const {
    // A key the focused control leaves is handed on to its parents; it is looked at
    // once, where it was sent.
    const QWidget* focus = QApplication::focusWidget();
    return widget == (focus != nullptr ? focus : this);
}

bool MainWindow::FilterKey(QEvent::Type type, int key) {
    // Up and Down show the first selected picture: on the press the row selected
    // before the list moves, on the release the one after.
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        dialog_.ShowSelectedPicture();
        return false;
    }
    // Enter and Escape never end this dialog.
    return type == QEvent::KeyPress &&
           (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape);
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The rows start at the top of the list's viewport, one row height apart.
    const QRect viewport(list_->viewport()->mapTo(this, QPoint(0, 0)), list_->viewport()->size());
    LogWindowLayout("main", *this,
                    {{"listViewport", QVariantList{viewport.x(), viewport.y(), viewport.width(),
                                                   viewport.height()}},
                     {"rowHeight", list_->verticalHeader()->defaultSectionSize()}});
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // The dialog's own Enter (default button) and Escape (cancel) handling stays off.
    event->ignore();
}

void MainWindow::reject() {
    // Escape is swallowed before it gets here; only the dialog's end closes it.
    if (dialog_.GetEndResult() != 0) {
        QDialog::reject();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close button ends the dialog at once, stopping a run first.
    if (dialog_.GetEndResult() == 0) {
        dialog_.OnClose();
    }
    event->accept();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // The window manager owns the window menu, so the dialog's "About" item is offered
    // on the dialog's free area instead.
    QMenu menu(this);
    QAction* about = menu.addAction(kAboutMenuItemText);
    connect(about, &QAction::triggered, this, [this] { dialog_.OnCommand(kIdSystemMenuAbout); });
    menu.exec(event->globalPos());
}

// --- what the dialog tells -------------------------------------------------------------

void MainWindow::OnRowsAboutToBeInserted(int32_t first, int32_t last) {
    model_->BeginInsert(first, last);
}

void MainWindow::OnRowsInserted() {
    model_->EndInsert();
}

void MainWindow::OnRowsAboutToBeRemoved(int32_t first, int32_t last) {
    model_->BeginRemove(first, last);
}

void MainWindow::OnRowsRemoved() {
    model_->EndRemove();
}

void MainWindow::OnRowAboutToMove(int32_t from, int32_t to) {
    model_->BeginMove(from, to);
}

void MainWindow::OnRowMoved() {
    model_->EndMove();
    SyncSelectionToView();
}

void MainWindow::OnSelectionChanged() {
    SyncSelectionToView();
}

void MainWindow::SyncSelectionToView() {
    syncingSelection_ = true;
    QItemSelection selection;
    const std::vector<ImageListRow>& rows = dialog_.GetRows();
    int focused = -1;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        if (rows[static_cast<size_t>(row)].selected) {
            selection.select(model_->index(row, 0), model_->index(row, 1));
        }
        if (rows[static_cast<size_t>(row)].focused) {
            focused = row;
        }
    }
    QItemSelectionModel* model = list_->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    if (focused != -1) {
        model->setCurrentIndex(model_->index(focused, 0), QItemSelectionModel::NoUpdate);
    }
    list_->viewport()->update();
    syncingSelection_ = false;
}

void MainWindow::OnRowRevealed(int32_t row) {
    list_->scrollTo(model_->index(row, 0));
}

void MainWindow::OnFieldsChanged() {
    const auto show = [](QLineEdit* edit, const std::string& text) {
        if (edit->text() != Text(text)) {
            edit->setText(Text(text));
        }
    };
    show(widthField_, dialog_.GetFieldText(DialogControl::kWidthField));
    show(heightField_, dialog_.GetFieldText(DialogControl::kHeightField));
    show(rateField_, dialog_.GetFieldText(DialogControl::kRateField));
}

void MainWindow::OnFocusChanged() {
    QWidget* target = nullptr;
    switch (dialog_.GetFocus()) {
        case DialogControl::kPictureList:
            target = list_;
            break;
        case DialogControl::kWidthField:
            target = widthField_;
            break;
        case DialogControl::kHeightField:
            target = heightField_;
            break;
        case DialogControl::kRateField:
            target = rateField_;
            break;
        case DialogControl::kNone:
            return;
    }
    target->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(target); edit && dialog_.IsFocusedTextSelected()) {
        edit->selectAll();
    }
}

void MainWindow::OnProgressChanged() {
    progress_->setValue(dialog_.GetProgressPosition());
    percentLabel_->setText(Text(dialog_.GetPercentLabel()));
}

void MainWindow::OnLabelsChanged() {
    countField_->setText(Text(dialog_.GetPictureCountText()));
    sizeField_->setText(Text(dialog_.GetPictureSizeText()));
}

void MainWindow::OnPreviewChanged() {
    preview_->SetSurface(dialog_.GetPreviewSurface());
}

void MainWindow::OnRunningChanged() {
    const bool running = dialog_.IsRunning();
    if (running && !busyCursor_) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        busyCursor_ = true;
    } else if (!running && busyCursor_) {
        QApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }
}

void MainWindow::OnEnded() {
    QDialog::done(dialog_.GetEndResult() == kDialogConfirmed ? QDialog::Accepted
                                                             : QDialog::Rejected);
}

QStringList MainWindow::CaptionsThatDoNotFit() const {
    QStringList misfits;
    const QFontMetrics metrics(font());
    for (const auto& [control, widget] : laidOut_) {
        const QString caption = CaptionOf(control);
        if (caption.isEmpty() || SizesItself(control)) {
            continue;
        }
        int available = widget->width();
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            available = button->style()
                            ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                            .width();
        }
        if (metrics.horizontalAdvance(caption) > available ||
            metrics.height() > widget->height() + 1) {
            misfits << QString("%1 %2").arg(control.id).arg(caption);
        }
    }
    return misfits;
}
