#include "qt/about_box.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "qt/clickable_label.h"
#include "qt/dialog_units.h"
#include "qt/hyperlink_label_widget.h"
#include "qt/window_log.h"

AboutBox::AboutBox(AboutDialog& dialog, const QFont& font, QWidget* parent)
    : QDialog(parent), dialog_(dialog) {
    // A fixed-size box: no maximise or minimise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString(dialog.GetCaption()));
    setFont(font);
    const DialogUnits units = MeasureDialogUnits(font);
    setFixedSize(units.ToPixelsX(AboutDialog::kWidth), units.ToPixelsY(AboutDialog::kHeight));

    std::map<int, HyperlinkLabelWidget*> links;
    for (const ControlLayout& control : AboutDialog::Controls()) {
        const QString text = QString::fromStdString(control.text);
        const int id = control.id;
        QRect rect = units.ToPixels(control.x, control.y, control.width, control.height);
        QWidget* widget = MakeControl(control, rect, parent);
        if (control.kind == ControlKind::kLink) {
            links[id] = static_cast<HyperlinkLabelWidget*>(widget);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            // Our texts (the mail address, the product names) may be longer than the
            // template's fields were drawn for: a plain text grows to the right rather
            // than lose its end.
            rect.setWidth(std::max(rect.width(), label->fontMetrics().horizontalAdvance(text)));
        }
        widget->setGeometry(rect);
        if (id != kIdStatic) {
            controls_[id] = widget;
            NameControl(widget, id);
        }
    }
    // The labels follow their state from now on; the dialog attaches them in their
    // declared order.
    for (auto& [id, link] : links) {
        link->Follow(*dialog.GetLabel(id), [this, id] { dialog_.OnCommand(id); });
    }
    dialog.BindLabels(
        [&units](const ControlLayout& control) {
            const QRect rect = units.ToPixels(control.x, control.y, control.width, control.height);
            return LabelRect{rect.left(), rect.top(), rect.left() + rect.width(),
                             rect.top() + rect.height()};
        },
        [&links](const std::string& text) { return links.begin()->second->Measure(text); });
}

QWidget* AboutBox::MakeControl(const ControlLayout& control, const QRect& rect, QWidget* parent) {
    const QString text = QString::fromStdString(control.text);
    const int id = control.id;
    switch (control.kind) {
        case ControlKind::kIcon: {
            auto* icon = new QLabel(this);
            const QIcon windowIcon =
                parent != nullptr ? parent->windowIcon() : QApplication::windowIcon();
            icon->setPixmap(windowIcon.pixmap(std::min(rect.width(), rect.height())));
            return icon;
        }
        case ControlKind::kDefaultButton:
        case ControlKind::kButton: {
            auto* button = new QPushButton(text, this);
            button->setDefault(control.kind == ControlKind::kDefaultButton);
            connect(button, &QPushButton::clicked, this, [this, id] {
                dialog_.OnCommand(id);
                EndIfDone();
            });
            return button;
        }
        case ControlKind::kLink: {
            auto* link = new HyperlinkLabelWidget(this);
            link->setText(text);
            return link;
        }
        case ControlKind::kClickableText: {
            auto* clickable = new ClickableLabel(this, [this, id] { dialog_.OnCommand(id); });
            clickable->setText(text);
            return clickable;
        }
        default: {
            auto* label = new QLabel(text, this);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
    }
}

QWidget* AboutBox::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LogWindowLayout("about", *this);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        dialog_.OnOk();
    } else if (event->key() == Qt::Key_Escape) {
        dialog_.OnCancel();
    } else {
        QDialog::keyPressEvent(event);
        return;
    }
    EndIfDone();
}

void AboutBox::closeEvent(QCloseEvent* event) {
    dialog_.OnCancel();
    event->accept();
    EndIfDone();
}

void AboutBox::reject() {
    dialog_.OnCancel();
    EndIfDone();
}

void AboutBox::EndIfDone() {
    switch (dialog_.GetEnd()) {
        case AboutDialogEnd::kOpen:
            return;
        case AboutDialogEnd::kOk:
            done(QDialog::Accepted);
            return;
        case AboutDialogEnd::kCancel:
            done(QDialog::Rejected);
            return;
    }
}

void ShowAboutBox(AboutDialog& dialog, QWidget* parent) {
    AboutBox box(dialog, parent != nullptr ? parent->font() : QApplication::font(), parent);
    box.exec();
}
