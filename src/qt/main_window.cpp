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

    BuildControls();
    ConnectList();
    // The home-page label is the dialog's own; its click goes through the dialog's
    // routing, which refuses it during a run.
    homePageLabel_->Bind(dialog_.GetHomePageLabel(), 0,
                         [this] { dialog_.OnCommand(kIdHomePageLabel); });
    dialog_.SetPreviewSize(preview_->width(), preview_->height());
    dialog_.SetListener(this);
    ShowInitialState();
    // Keys reach the arrow-key preview and the Enter/Escape filter before any control
    // of this window handles them, as a dialog's message pre-translation would.
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
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
    const auto command = [this, id] { dialog_.OnCommand(id); };
    switch (control.kind) {
        case ControlKind::kButton:
        case ControlKind::kDefaultButton: {
            auto* button = new QPushButton(caption, this);
            // Enter never presses a button of this dialog.
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, command);
            return button;
        }
        case ControlKind::kListView:
            list_ = new QTableView(this);
            return list_;
        case ControlKind::kBlackFrame:
            preview_ = new PreviewWidget(this);
            return preview_;
        case ControlKind::kGroupBox:
            return new QGroupBox(this);
        case ControlKind::kEdit:
        case ControlKind::kCenteredEdit: {
            auto* edit = new QLineEdit(this);
            if (control.kind == ControlKind::kCenteredEdit) {
                edit->setAlignment(Qt::AlignCenter);
            }
            const DialogControl field = FieldOf(id);
            connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
                dialog_.SetFieldText(field, text.toStdString());
            });
            (id == kIdWidthField    ? widthField_
             : id == kIdHeightField ? heightField_
                                    : rateField_) = edit;
            return edit;
        }
        case ControlKind::kReadOnlyField: {
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
        case ControlKind::kProgressBar:
            progress_ = new QProgressBar(this);
            progress_->setRange(0, 100);
            progress_->setValue(0);
            progress_->setTextVisible(false);
            return progress_;
        case ControlKind::kBitmap: {
            auto* banner = new ClickableLabel(this, command);
            banner->setPixmap(QPixmap(":/banner.png"));
            banner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            banner->setCursor(Qt::PointingHandCursor);
            return banner;
        }
        case ControlKind::kLink: {
            homePageLabel_ = new HyperlinkLabelWidget(this);
            homePageLabel_->setText(caption);
            return homePageLabel_;
        }
        case ControlKind::kClickableText: {
            auto* text = new ClickableLabel(this, command);
            text->setText(caption);
            text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return text;
        }
        case ControlKind::kCenteredText: {
            auto* label = new QLabel(caption, this);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            return label;
        }
        case ControlKind::kText:
        case ControlKind::kIcon:
        default: {
            auto* label = new QLabel(caption, this);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            if (id == kIdPercentLabel) {
                percentLabel_ = label;
            }
            return label;
        }
    }
}

void MainWindow::ConnectList() {
    model_ = new ImageListModel(dialog_, this);
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideNone);
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
    list_->viewport()->installEventFilter(this);
}

void MainWindow::ShowInitialState() {
    OnFieldsChanged();
    OnProgressChanged();
    OnLabelsChanged();
}

bool MainWindow::OwnsWidget(QObject* object) const {
    for (auto* widget = qobject_cast<QWidget*>(object); widget != nullptr;
         widget = widget->parentWidget()) {
        if (widget == this) {
            return true;
        }
    }
    return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (!OwnsWidget(watched)) {
        return QDialog::eventFilter(watched, event);
    }
    // While a build or preview runs the dialog takes no input; it still paints.
    if (dialog_.IsRunning()) {
        switch (type) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ContextMenu:
            case QEvent::Wheel:
                return true;
            default:
                return QDialog::eventFilter(watched, event);
        }
    }
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Up and Down show the first selected picture: on the press the row selected
        // before the list moves, on the release the one after.
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            dialog_.ShowSelectedPicture();
            return false;
        }
        // Enter and Escape never end this dialog.
        if (type == QEvent::KeyPress &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
             key->key() == Qt::Key_Escape)) {
            return true;
        }
    }
    if (watched == list_->viewport()) {
        if (type == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                const QModelIndex index = list_->indexAt(mouse->position().toPoint());
                dialog_.OnListClick(index.isValid() ? index.row() : -1);
            }
        } else if (type == QEvent::ContextMenu) {
            const auto* menu = static_cast<QContextMenuEvent*>(event);
            const QModelIndex index = list_->indexAt(menu->pos());
            dialog_.OnListRightClick(index.isValid() ? index.row() : -1, menu->globalPos().x(),
                                     menu->globalPos().y());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
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
    list_->viewport()->repaint();
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
