// What the windows show, written to the log when asked (for instance with
// QT_LOGGING_RULES="reelwright.*.debug=true"): each message box with its caption, icon,
// text and buttons, and where each window's controls stand on the screen. A program
// that drives the real window reads it where it must read a text or find a control;
// nothing in the program depends on it, and by default it is off.
#pragma once

#include <QLoggingCategory>
#include <QString>

class QMessageBox;
class QWidget;

Q_DECLARE_LOGGING_CATEGORY(lcMessageBox)
Q_DECLARE_LOGGING_CATEGORY(lcLayout)

// Marks `widget` as control `id` of its window, so the layout log lists it.
void NameControl(QWidget* widget, int id);

// One line for a message box being shown: its caption, icon ("none", "exclamation",
// "information"), text and each button's text and rectangle in the box.
void LogMessageBox(const QMessageBox& box);

// One line for a window being shown, named `name`: its size and, for every control marked with
// NameControl, its id, text and rectangle in the window. `extra` adds fields of the window's own
// (the picture list's rows, for instance).
void LogWindowLayout(const QString& name, const QWidget& window,
                     const QVariantMap& extra = QVariantMap());
