#include "qt/window_log.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcMessageBox, "reelwright.messagebox", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLayout, "reelwright.layout", QtWarningMsg)

namespace {

constexpr const char* kControlProperty = "reelwrightControlId";

QJsonArray RectOf(const QRect& rect) {
    return QJsonArray{rect.x(), rect.y(), rect.width(), rect.height()};
}

QString IconName(QMessageBox::Icon icon) {
    switch (icon) {
        case QMessageBox::Warning:
            return "exclamation";
        case QMessageBox::Information:
            return "information";
        case QMessageBox::Critical:
            return "critical";
        case QMessageBox::Question:
            return "question";
        case QMessageBox::NoIcon:
            break;
    }
    return "none";
}

QString TextOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    if (const auto* list = qobject_cast<const QComboBox*>(widget)) {
        return list->currentText();
    }
    return {};
}

void Write(const QLoggingCategory& category, const QJsonObject& line) {
    if (category.isDebugEnabled()) {
        qCDebug(category).noquote() << QJsonDocument(line).toJson(QJsonDocument::Compact);
    }
}

}  // namespace

void NameControl(QWidget* widget, int id) {
    widget->setProperty(kControlProperty, id);
}

void LogMessageBox(const QMessageBox& box) {
    if (!lcMessageBox().isDebugEnabled()) {
        return;
    }
    QJsonArray buttons;
    for (const QAbstractButton* button : box.buttons()) {
        const QRect rect(button->mapTo(&box, QPoint(0, 0)), button->size());
        buttons.append(QJsonObject{{"text", button->text()}, {"rect", RectOf(rect)}});
    }
    Write(lcMessageBox(), QJsonObject{{"caption", box.windowTitle()},
                                      {"icon", IconName(box.icon())},
                                      {"text", box.text()},
                                      {"buttons", buttons}});
}

void LogWindowLayout(const QString& name, const QWidget& window, const QVariantMap& extra) {
    if (!lcLayout().isDebugEnabled()) {
        return;
    }
    QJsonArray controls;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        const QVariant id = widget->property(kControlProperty);
        if (!id.isValid() || widget->window() != &window) {
            continue;
        }
        const QRect rect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        controls.append(
            QJsonObject{{"id", id.toInt()}, {"text", TextOf(widget)}, {"rect", RectOf(rect)}});
    }
    QJsonObject line = QJsonObject::fromVariantMap(extra);
    line.insert("window", name);
    line.insert("size", QJsonArray{window.width(), window.height()});
    line.insert("controls", controls);
    Write(lcLayout(), line);
}
