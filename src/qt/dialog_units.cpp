#include "qt/dialog_units.h"

#include <QFontMetrics>
#include <functional>

namespace {

int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

}  // namespace

int DialogUnits::ToPixelsX(int units) const {
    return MulDiv(units, averageCharWidth, 4);
}

int DialogUnits::ToPixelsY(int units) const {
    return MulDiv(units, charHeight, 8);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + width) - left, ToPixelsY(y + height) - top);
}

DialogUnits MeasureDialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    DialogUnits units;
    units.averageCharWidth = (letters / 26 + 1) / 2;
    units.charHeight = metrics.height();
    return units;
}

QFont ChooseDialogFont(const QFont& preferred, const std::function<bool(const QFont&)>& fits) {
    if (fits(preferred)) {
        return preferred;
    }
    QFont condensed = preferred;
    condensed.setStretch(QFont::Condensed);
    if (fits(condensed)) {
        return condensed;
    }
    // Smaller sizes of the preferred face, down to a size that is still readable.
    QFont smaller = preferred;
    for (qreal size = preferred.pointSizeF() - 0.5; size >= 7.0; size -= 0.5) {
        smaller.setPointSizeF(size);
        if (fits(smaller)) {
            return smaller;
        }
    }
    return condensed;
}
