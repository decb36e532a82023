// Dialog units to pixels, the way a dialog template's rectangles are mapped: one
// horizontal unit is a quarter of the font's average character width, one vertical
// unit an eighth of its height. Laying the window out in these units keeps the
// template's proportions whatever font the dialog uses.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

struct DialogUnits {
    int averageCharWidth = 6;
    int charHeight = 13;

    // Rounds as the system's MulDiv does: to the nearest pixel, halves away from zero.
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;
};

// The base units of `font`: the average width of the 52 letters A-Z a-z, rounded as
// the system does, and the font's line height.
DialogUnits MeasureDialogUnits(const QFont& font);

// The dialog's font: the application's font if every caption fits its control in
// it, else the first narrower candidate that makes them fit (a condensed face, then
// smaller sizes). `fits` tells whether the captions fit in a given font.
QFont ChooseDialogFont(const QFont& preferred, const std::function<bool(const QFont&)>& fits);
