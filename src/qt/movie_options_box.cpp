#include "qt/movie_options_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "qt/dialog_units.h"
#include "qt/window_log.h"
#include "slideshow/movie_option_fields.h"

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

MovieOptionsBox::MovieOptionsBox(MovieOptionsDialog& dialog, const QFont& font, QWidget* parent)
    : QDialog(parent), dialog_(dialog) {
    // A fixed-size box: no maximise or minimise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(kMovieOptionsCaption);
    setFont(font);
    const DialogUnits units = MeasureDialogUnits(font);
    const DialogTemplate& layout = MovieOptionsDialog::Template();
    setFixedSize(units.ToPixelsX(layout.width), units.ToPixelsY(layout.height));
    for (const ControlLayout& control : layout.controls) {
        QWidget* widget = MakeControl(control);
        widget->setGeometry(units.ToPixels(control.x, control.y, control.width, control.height));
        if (control.id != kIdStatic) {
            controls_[control.id] = widget;
            NameControl(widget, control.id);
        }
    }
    dialog_.SetFocusListener([this] { ShowFocus(); });
}

QWidget* MovieOptionsBox::MakeControl(const ControlLayout& control) {
    const int id = control.id;
    const QString text = Text(control.text);
    switch (control.kind) {
        case ControlKind::kCheckBox: {
            auto* box = new QCheckBox(text, this);
            box->setChecked(dialog_.GetText(id) == kSwitchOn);
            connect(box, &QCheckBox::toggled, this, [this, id](bool checked) {
                dialog_.SetText(id, checked ? kSwitchOn : kSwitchOff);
            });
            return box;
        }
        case ControlKind::kDropDownList: {
            auto* list = new QComboBox(this);
            list->addItems(text.split('|'));
            list->setCurrentText(Text(dialog_.GetText(id)));
            connect(list, &QComboBox::currentTextChanged, this,
                    [this, id](const QString& word) { dialog_.SetText(id, word.toStdString()); });
            return list;
        }
        case ControlKind::kEdit: {
            auto* edit = new QLineEdit(Text(dialog_.GetText(id)), this);
            connect(edit, &QLineEdit::textEdited, this,
                    [this, id](const QString& typed) { dialog_.SetText(id, typed.toStdString()); });
            return edit;
        }
        case ControlKind::kButton:
        case ControlKind::kDefaultButton: {
            auto* button = new QPushButton(text, this);
            button->setDefault(control.kind == ControlKind::kDefaultButton);
            button->setAutoDefault(control.kind == ControlKind::kDefaultButton);
            connect(button, &QPushButton::clicked, this, [this, id] {
                dialog_.OnCommand(id);
                EndIfDone();
            });
            return button;
        }
        default: {
            auto* label = new QLabel(text, this);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
    }
}

QWidget* MovieOptionsBox::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void MovieOptionsBox::ShowFocus() {
    QWidget* target = Control(dialog_.GetFocus());
    if (target == nullptr) {
        return;
    }
    target->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(target)) {
        edit->selectAll();
    }
}

void MovieOptionsBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LogWindowLayout("options", *this);
}

void MovieOptionsBox::closeEvent(QCloseEvent* event) {
    dialog_.OnCancel();
    event->accept();
    EndIfDone();
}

void MovieOptionsBox::reject() {
    dialog_.OnCancel();
    EndIfDone();
}

void MovieOptionsBox::EndIfDone() {
    switch (dialog_.GetEnd()) {
        case MovieOptionsDialogEnd::kOpen:
            return;
        case MovieOptionsDialogEnd::kOk:
            done(QDialog::Accepted);
            return;
        case MovieOptionsDialogEnd::kCancel:
            done(QDialog::Rejected);
            return;
    }
}

void ShowMovieOptionsBox(MovieOptionsDialog& dialog, QWidget* parent) {
    MovieOptionsBox box(dialog, parent != nullptr ? parent->font() : QApplication::font(), parent);
    box.exec();
    dialog.SetFocusListener(nullptr);
}
